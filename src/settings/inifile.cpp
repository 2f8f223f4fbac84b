#include "settings/inifile.h"

#include "common/textcodec.h"

#include <QFile>
#include <QSaveFile>

#include <optional>
#include <utility>

namespace pelorin {

namespace {

constexpr QByteArrayView Utf8Bom("\xEF\xBB\xBF");

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

QStringView trimmed(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

QStringView withoutLeadingBlanks(QStringView text) {
    qsizetype begin = 0;
    while (begin < text.size() && isBlank(text[begin]))
        ++begin;
    return text.sliced(begin);
}

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool holdsLineBreakOrNul(QStringView text) {
    return text.contains(u'\r') || text.contains(u'\n') || text.contains(QChar(u'\0'));
}

// The text after the first "=", as a read reports it (before the length cut).
QString valueOf(QStringView line) {
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return {};
    QStringView value = line.sliced(eq + 1);
    if (const qsizetype nul = value.indexOf(QChar(u'\0')); nul >= 0)
        value = value.first(nul);
    value = trimmed(value);
    const bool quoted = value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
                        value.back() == value.front();
    return (quoted ? value.sliced(1, value.size() - 2) : value).toString();
}

// The longest start of `text` whose UTF-8 form fits in `maxBytes`, never splitting a character.
QString cutToUtf8Bytes(const QString& text, qsizetype maxBytes) {
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size();) {
        const char16_t unit = text[i].unicode();
        const bool pair = QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
                          QChar::isLowSurrogate(text[i + 1].unicode());
        const qsizetype size = pair ? 4 : unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
        if (bytes + size > maxBytes)
            return text.first(i);
        bytes += size;
        i += pair ? 2 : 1;
    }
    return text;
}

QString readValue(QStringView line) {
    return cutToUtf8Bytes(valueOf(line), IniFile::MaxValueBytes);
}

QString platformLineEnd() {
#ifdef Q_OS_WIN
    return QStringLiteral("\r\n");
#else
    return QStringLiteral("\n");
#endif
}

struct Line {
    QString text;
    QString end; // "\r\n", "\n", "\r", or empty for a last line without a break
};

// A lone CR also ends a line, so no value read from a file can hold a line break.
QList<Line> splitLines(const QString& text) {
    QList<Line> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype stop = start;
        while (stop < text.size() && text[stop] != u'\n' && text[stop] != u'\r')
            ++stop;
        qsizetype endSize = 0;
        if (stop < text.size())
            endSize =
                text[stop] == u'\r' && stop + 1 < text.size() && text[stop + 1] == u'\n' ? 2 : 1;
        lines.append({text.sliced(start, stop - start), text.sliced(stop, endSize)});
        start = stop + endSize;
    }
    return lines;
}

struct KeyLine {
    qsizetype line = 0;
    QString key;           // as it stands in the file, trimmed
    bool hasValue = false; // the line holds an "="
};

struct Section {
    QString name;
    qsizetype header = -1; // -1 for the lines before the first header
    QList<KeyLine> keys;
};

QString headerName(QStringView trimmedLine) {
    const QStringView inside = trimmedLine.sliced(1);
    const qsizetype close = inside.indexOf(u']');
    return trimmed(close < 0 ? inside : inside.first(close)).toString();
}

QList<Section> indexSections(const QList<Line>& lines) {
    QList<Section> sections{Section{}};
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView text = trimmed(lines[i].text);
        if (text.isEmpty())
            continue;
        if (text.front() == u'[') {
            sections.append({headerName(text), i, {}});
            continue;
        }
        const qsizetype eq = text.indexOf(u'=');
        sections.last().keys.append(
            {i, trimmed(eq < 0 ? text : text.first(eq)).toString(), eq >= 0});
    }
    return sections;
}

// The file as lines, with the BOM and line-end style needed to write it back.
class Document {
public:
    // Empty for a missing file; nullopt when the file exists but cannot be read.
    static std::optional<Document> load(const QString& path) {
        QFile file(path);
        if (!file.exists())
            return Document{};
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return std::nullopt;
        Document doc;
        doc.m_exists = true;
        if (bytes.startsWith(Utf8Bom)) {
            doc.m_bom = Utf8Bom.toByteArray();
            bytes.remove(0, Utf8Bom.size());
        }
        doc.m_lines = splitLines(decodeUtf8OrLocal(bytes));
        doc.m_sections = indexSections(doc.m_lines);
        return doc;
    }

    bool exists() const { return m_exists; }
    const QList<Section>& sections() const { return m_sections; }
    const Line& line(qsizetype index) const { return m_lines[index]; }

    const Section* findSection(QStringView name) const {
        for (const Section& section : m_sections)
            if (sameName(section.name, name))
                return &section;
        return nullptr;
    }

    static const KeyLine* findKey(const Section& section, QStringView key) {
        if (key.isEmpty())
            return nullptr;
        for (const KeyLine& keyLine : section.keys)
            if (sameName(keyLine.key, key))
                return &keyLine;
        return nullptr;
    }

    // Applies one write to the lines; false when the file already holds the value. The section
    // index is not refreshed, so a Document takes one change only.
    bool put(const QString& sectionName, const QString& key, const QString& value) {
        const Section* section = findSection(sectionName);
        if (!section) {
            appendSection(sectionName, key, value);
            return true;
        }
        if (const KeyLine* keyLine = findKey(*section, key)) {
            Line& line = m_lines[keyLine->line];
            if (valueOf(line.text) == value)
                return false;
            line.text = keyLine->key + u'=' + value;
            return true;
        }
        const qsizetype after =
            section->keys.isEmpty() ? section->header : section->keys.last().line;
        insertAfter(after, key + u'=' + value);
        return true;
    }

    QByteArray bytes() const {
        QString text;
        for (const Line& line : m_lines)
            text += line.text + line.end;
        // A first line starting with U+FEFF (a key written before any section) would lose that
        // character as a byte order mark on the next read; a mark of our own keeps it content.
        if (m_bom.isEmpty() && text.startsWith(QChar(0xFEFF)))
            return Utf8Bom.toByteArray() + text.toUtf8();
        return m_bom + text.toUtf8();
    }

private:
    // New lines follow the file's first line break, so a file never mixes styles because of us.
    QString lineEnd() const {
        for (const Line& line : m_lines)
            if (!line.end.isEmpty())
                return line.end;
        return platformLineEnd();
    }

    void insertAfter(qsizetype index, const QString& text) {
        const QString end = lineEnd();
        if (index >= 0 && m_lines[index].end.isEmpty())
            m_lines[index].end = end;
        m_lines.insert(index + 1, {text, end});
    }

    void appendSection(const QString& name, const QString& key, const QString& value) {
        const QString end = lineEnd();
        if (!m_lines.isEmpty() && m_lines.last().end.isEmpty())
            m_lines.last().end = end;
        m_lines.append({QLatin1Char('[') + name + QLatin1Char(']'), end});
        m_lines.append({key + u'=' + value, end});
    }

    bool m_exists = false;
    QByteArray m_bom;
    QList<Line> m_lines;
    QList<Section> m_sections;
};

// Names and values that would read back as something else, or add lines or sections of their
// own, are turned away instead of being stored.
bool acceptable(QStringView section, QStringView key, QStringView value) {
    if (holdsLineBreakOrNul(section) || section.contains(u']') || section.startsWith(u'['))
        return false;
    if (holdsLineBreakOrNul(key) || key.isEmpty() || key.contains(u'=') || key.startsWith(u'['))
        return false;
    return !holdsLineBreakOrNul(value);
}

// Atomic: a crash leaves either the old file or the new one, never a mix.
bool save(const QString& path, const Document& doc) {
    // QSaveFile refuses to replace a file that is marked read-only, as an in-place write would.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // QSaveFile carries an existing file's permissions over by itself. A new file holds a
    // password, so only its owner may read it; a file system without owners simply ignores this.
    if (!doc.exists())
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QByteArray bytes = doc.bytes();
    if (file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

QString IniFile::read(const QString& section, const QString& key) const {
    const std::optional<Document> doc = Document::load(m_path);
    if (!doc)
        return {};
    const Section* found = doc->findSection(trimmed(section));
    const KeyLine* keyLine = found ? Document::findKey(*found, trimmed(key)) : nullptr;
    return keyLine ? readValue(doc->line(keyLine->line).text) : QString();
}

IniFile::WriteResult IniFile::write(const QString& section, const QString& key,
                                    const QString& value) const {
    const QString sectionName = trimmed(section).toString();
    const QString keyName = trimmed(key).toString();
    if (!acceptable(sectionName, keyName, value))
        return WriteResult::Refused;
    std::optional<Document> doc = Document::load(m_path);
    if (!doc)
        return WriteResult::Failed;
    if (!doc->put(sectionName, keyName, withoutLeadingBlanks(value).toString()))
        return WriteResult::Unchanged;
    return save(m_path, *doc) ? WriteResult::Written : WriteResult::Failed;
}

QList<IniFile::Entry> IniFile::entries() const {
    const std::optional<Document> doc = Document::load(m_path);
    if (!doc)
        return {};
    QList<Entry> result;
    for (const Section& section : doc->sections()) {
        if (doc->findSection(section.name) != &section)
            continue;
        for (const KeyLine& keyLine : section.keys) {
            if (keyLine.hasValue && Document::findKey(section, keyLine.key) == &keyLine)
                result.append({section.name, keyLine.key, readValue(doc->line(keyLine.line).text)});
        }
    }
    return result;
}

} // namespace pelorin
