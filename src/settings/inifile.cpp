#include "settings/inifile.h"

#include "rules/settingnames.h"

#include "common/textcodec.h"
#include "common/timing.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

#include <algorithm>
#include <optional>
#include <utility>

namespace pelorin {

namespace {

using Problem = IniFile::Problem;
using WriteResult = IniFile::WriteResult;

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

QStringView trimmed(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin].unicode()))
        ++begin;
    while (end > begin && isBlank(text[end - 1].unicode()))
        --end;
    return text.sliced(begin, end - begin);
}

QStringView withoutLeadingBlanks(QStringView text) {
    qsizetype begin = 0;
    while (begin < text.size() && isBlank(text[begin].unicode()))
        ++begin;
    return text.sliced(begin);
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

QString platformLineEnd() {
#ifdef Q_OS_WIN
    return QStringLiteral("\r\n");
#else
    return QStringLiteral("\n");
#endif
}

// One line as the file holds it, and as text. Lines a write does not change are written back
// from `bytes`, so what a decoding could not represent is never lost.
struct Line {
    QByteArray bytes; // without the line break
    QByteArray end;   // CR LF, LF or CR in the file's encoding; empty for a last line without one
    QString text;     // `bytes` decoded
};

bool isLineBreak(char16_t unit) {
    return unit == u'\n' || unit == u'\r';
}

// Splits whole code units on their values, which is safe in every encoding the codec knows: CR
// and LF are never part of a longer character. A lone CR also ends a line, so no value read from
// a file can hold a line break.
QList<Line> splitLines(QByteArrayView bytes, TextCodec& codec) {
    const qsizetype unit = codec.unitSize();
    const qsizetype units = bytes.size() / unit;
    QList<Line> lines;
    qsizetype start = 0; // in units
    while (start < units) {
        qsizetype stop = start;
        while (stop < units && !isLineBreak(codec.unitAt(bytes, stop)))
            ++stop;
        if (stop == units) {
            const QByteArrayView last = bytes.sliced(start * unit);
            lines.append({last.toByteArray(), {}, codec.decode(last)});
            break;
        }
        const qsizetype endUnits = codec.unitAt(bytes, stop) == u'\r' && stop + 1 < units &&
                                           codec.unitAt(bytes, stop + 1) == u'\n'
                                       ? 2
                                       : 1;
        const QByteArrayView text = bytes.sliced(start * unit, (stop - start) * unit);
        lines.append({text.toByteArray(), bytes.sliced(stop * unit, endUnits * unit).toByteArray(),
                      codec.decode(text)});
        start = stop + endUnits;
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

// A line opens a section only when it starts with "[" and holds a "]"; an unclosed "[" line
// belongs to the section above, as with the profile functions. Parsed as text: in Shift-JIS the
// bytes of "[" and "]" also occur as the second byte of double-byte characters.
std::optional<QString> headerName(QStringView trimmedLine) {
    if (!trimmedLine.startsWith(u'['))
        return std::nullopt;
    const QStringView inside = trimmedLine.sliced(1);
    const qsizetype close = inside.indexOf(u']');
    if (close < 0)
        return std::nullopt;
    return trimmed(inside.first(close)).toString();
}

QList<Section> indexSections(const QList<Line>& lines) {
    QList<Section> sections{Section{}};
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView text = trimmed(lines[i].text);
        if (text.isEmpty())
            continue;
        if (std::optional<QString> name = headerName(text)) {
            sections.append({std::move(*name), i, {}});
            continue;
        }
        const qsizetype eq = text.indexOf(u'=');
        sections.last().keys.append(
            {i, trimmed(eq < 0 ? text : text.first(eq)).toString(), eq >= 0});
    }
    return sections;
}

// What stands at the path, judged without opening it: opening a FIFO would wait for a writer,
// and reading a device or a huge file would never end or exhaust memory.
Problem problemAt(const QString& path) {
    const QFileInfo info(path); // follows symbolic links
    if (!info.exists())
        return Problem::None;
    if (!info.isFile())
        return Problem::NotRegularFile;
    if (info.size() > IniFile::MaxFileBytes)
        return Problem::TooLarge;
    return Problem::None;
}

// The file's bytes; a null array for a missing file, nothing when it cannot be used.
std::optional<QByteArray> readBytes(const QString& path, Problem& problem) {
    problem = problemAt(path);
    if (problem != Problem::None)
        return std::nullopt;
    QFile file(path);
    if (!file.exists())
        return QByteArray();
    if (!file.open(QIODevice::ReadOnly)) {
        problem = Problem::Unreadable;
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        problem = Problem::Unreadable;
    else if (bytes.size() > IniFile::MaxFileBytes) // it grew since it was looked at
        problem = Problem::TooLarge;
    else
        return bytes.isNull() ? QByteArray("") : bytes;
    return std::nullopt;
}

// The file as lines, with the byte-order mark, encoding and line-end style needed to write it
// back.
class Document {
public:
    enum class Change { Made, None, Unencodable };

    // Empty (UTF-8) for a missing file; nothing when the file cannot be used.
    static std::optional<Document> load(const QString& path) {
        Problem problem = Problem::None;
        const std::optional<QByteArray> bytes = readBytes(path, problem);
        if (!bytes)
            return std::nullopt;
        Document doc = parse(*bytes);
        doc.m_exists = !bytes->isNull();
        return doc;
    }

    static Document parse(QByteArrayView bytes) {
        const DetectedEncoding detected = detectEncoding(bytes);
        Document doc(detected.encoding);
        doc.m_bom = bytes.first(detected.bomSize).toByteArray();
        const QByteArrayView body = bytes.sliced(detected.bomSize);
        // A UTF-16 file cut off inside its last code unit: that byte is no text. It stays the
        // file's last byte, after any line a write appends, so those lines start on a whole unit.
        const qsizetype stray = body.size() % doc.m_codec.unitSize();
        doc.m_stray = body.last(stray).toByteArray();
        doc.m_lines = splitLines(body.first(body.size() - stray), doc.m_codec);
        doc.m_sections = indexSections(doc.m_lines);
        return doc;
    }

    bool exists() const { return m_exists; }
    const QList<Section>& sections() const { return m_sections; }

    const Section* findSection(QStringView name) const {
        for (const Section& section : m_sections)
            if (sameName(section.name, name))
                return &section;
        return nullptr;
    }

    // The line a read of `key` in `section` finds, if any.
    const KeyLine* findEntry(QStringView section, QStringView key) const {
        const Section* found = findSection(section);
        return found ? findKey(*found, key) : nullptr;
    }

    static const KeyLine* findKey(const Section& section, QStringView key) {
        if (key.isEmpty())
            return nullptr;
        for (const KeyLine& keyLine : section.keys)
            if (sameName(keyLine.key, key))
                return &keyLine;
        return nullptr;
    }

    // The value on a line as a read gives it: cut to MaxValueBytes counted in the file's own
    // bytes for Shift-JIS, as the "A" profile functions count; in UTF-8 bytes otherwise.
    QString readValue(qsizetype line) const {
        static const TextCodec utf8(TextEncoding::Utf8);
        const TextCodec& counter = m_codec.encoding() == TextEncoding::Cp932 ? m_codec : utf8;
        return counter.cut(valueOf(m_lines[line].text), IniFile::MaxValueBytes).toString();
    }

    // Applies one write to the lines. The section index is not refreshed, so a Document takes
    // one change only.
    Change put(const QString& sectionName, const QString& key, const QString& value) {
        const Section* section = findSection(sectionName);
        if (!section)
            return appendSection(sectionName, key, value);
        if (const KeyLine* keyLine = findKey(*section, key)) {
            Line& line = m_lines[keyLine->line];
            if (valueOf(line.text) == value)
                return Change::None;
            const std::optional<QByteArray> tail = m_codec.encode(u'=' + value);
            if (!tail)
                return Change::Unencodable;
            Line changed = makeLine(keyBytes(line.bytes) + *tail, line.end);
            // A Shift-JIS lead byte without its second byte at the end of the name is no text,
            // and the decoder drops it; followed by "=" it reads as a character of its own, and
            // the name would no longer be found. The name as read is written instead.
            if (!holds(changed.text, key, value)) {
                const std::optional<QByteArray> text = m_codec.encode(keyLine->key + u'=' + value);
                if (!text)
                    return Change::Unencodable;
                changed = makeLine(*text, line.end);
            }
            line = std::move(changed);
            return Change::Made;
        }
        const std::optional<QByteArray> text = m_codec.encode(key + u'=' + value);
        if (!text)
            return Change::Unencodable;
        const qsizetype after =
            section->keys.isEmpty() ? section->header : section->keys.last().line;
        const QByteArray end = lineEnd();
        if (after >= 0 && m_lines[after].end.isEmpty())
            m_lines[after].end = end;
        m_lines.insert(after + 1, makeLine(*text, end));
        return Change::Made;
    }

    // Whether `bytes` hold `value` under `key` in `section` when read back.
    static bool holdsEntry(QByteArrayView bytes, QStringView section, QStringView key,
                           const QString& value) {
        const Document doc = parse(bytes);
        const KeyLine* keyLine = doc.findEntry(section, key);
        return keyLine && holds(doc.m_lines[keyLine->line].text, key, value);
    }

    // Whether `bytes` read as these lines. The encoding is judged from the bytes, so a write that
    // replaced the last line that is not valid UTF-8 in a Shift-JIS file would have the rest
    // read as UTF-8: harmless where they are ASCII, any other line would read as something else.
    bool readsAs(QByteArrayView bytes) const {
        if (detectEncoding(bytes).encoding == m_codec.encoding())
            return true;
        return std::ranges::equal(parse(bytes).m_lines, m_lines,
                                  [](const Line& a, const Line& b) { return a.text == b.text; });
    }

    QByteArray bytes() const {
        QByteArray bytes = m_bom;
        // A first line starting with U+FEFF (a key written before any section) would lose that
        // character as a byte-order mark on the next read; a mark of our own keeps it content.
        const QByteArray utf8Bom = byteOrderMark(TextEncoding::Utf8);
        if (bytes.isEmpty() && !m_lines.isEmpty() && m_lines.first().bytes.startsWith(utf8Bom))
            bytes = utf8Bom;
        for (const Line& line : m_lines)
            bytes += line.bytes + line.end;
        return bytes + m_stray;
    }

private:
    explicit Document(TextEncoding encoding) : m_codec(encoding) {}

    // New lines follow the file's first line break, so a file never mixes styles because of us.
    QByteArray lineEnd() const {
        for (const Line& line : m_lines)
            if (!line.end.isEmpty())
                return line.end;
        return m_codec.encode(platformLineEnd()).value_or(QByteArray());
    }

    // Whether a key line's text names `key` and reads as `value` would when stored.
    static bool holds(QStringView lineText, QStringView key, const QString& value) {
        const QStringView text = trimmed(lineText);
        const qsizetype eq = text.indexOf(u'=');
        return eq >= 0 && sameName(trimmed(text.first(eq)), key) &&
               valueOf(text) == valueOf(QString(u'=' + value));
    }

    Line makeLine(const QByteArray& bytes, const QByteArray& end) {
        return {bytes, end, m_codec.decode(bytes)};
    }

    // The key of a key line as the file spells it, without the blanks around it: a changed
    // value leaves the name's bytes alone even where decoding could not represent them. Blanks
    // and "=" are single code units in every encoding here.
    QByteArray keyBytes(QByteArrayView bytes) const {
        const qsizetype unit = m_codec.unitSize();
        const qsizetype units = bytes.size() / unit;
        qsizetype end = 0;
        while (end < units && m_codec.unitAt(bytes, end) != u'=')
            ++end;
        qsizetype begin = 0;
        while (begin < end && isBlank(m_codec.unitAt(bytes, begin)))
            ++begin;
        while (end > begin && isBlank(m_codec.unitAt(bytes, end - 1)))
            --end;
        return bytes.sliced(begin * unit, (end - begin) * unit).toByteArray();
    }

    Change appendSection(const QString& name, const QString& key, const QString& value) {
        const std::optional<QByteArray> header = m_codec.encode(u'[' + name + u']');
        const std::optional<QByteArray> text = m_codec.encode(key + u'=' + value);
        if (!header || !text)
            return Change::Unencodable;
        const QByteArray end = lineEnd();
        if (!m_lines.isEmpty() && m_lines.last().end.isEmpty())
            m_lines.last().end = end;
        m_lines.append(makeLine(*header, end));
        m_lines.append(makeLine(*text, end));
        return Change::Made;
    }

    TextCodec m_codec;
    bool m_exists = false;
    QByteArray m_bom;
    QList<Line> m_lines;
    QByteArray m_stray;
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

// Atomic: a crash or a full disk leaves either the old file or the new one, never a mix.
bool save(const QString& path, const QByteArray& bytes, bool exists) {
    // QSaveFile refuses to replace a file that is marked read-only, as an in-place write would.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // QSaveFile carries an existing file's permissions over by itself. A new file holds a
    // password, so only its owner may read it; a file system without owners simply ignores this.
    if (!exists)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // commit() flushes what is still buffered but overlooks a failure of that last write (a full
    // disk), and would put a short file in place of the good one. Flushed and checked here, any
    // failure leaves the old file; the temporary file goes with `file`.
    if (file.write(bytes) != bytes.size() || !file.flush() || file.error() != QFileDevice::NoError)
        return false;
    return file.commit();
}

// QLockFile takes a lock over at once when the process named in it is gone. A writer killed
// between creating the lock file and writing its name into it leaves a file that names no one,
// which Qt would honour for 30 seconds; a second is plenty for the name to follow. A live
// writer's lock is never taken over, however old: Qt removes a lock file only when it gets the
// system's own lock on it, which the live writer holds.
constexpr int AbandonedLockMs = 1000;

// The lock file sits beside the file a write replaces: through a symbolic link, that is the
// link's target, shared with every other name for it.
QString lockFilePath(const QString& path) {
    const QString target = QFileInfo(path).canonicalFilePath();
    return (target.isEmpty() ? path : target) + QStringLiteral(".lock");
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

QString IniFile::read(const QString& section, const QString& key) const {
    const std::optional<Document> doc = Document::load(m_path);
    if (!doc)
        return {};
    const KeyLine* keyLine = doc->findEntry(trimmed(section), trimmed(key));
    return keyLine ? doc->readValue(keyLine->line) : QString();
}

IniFile::WriteResult IniFile::write(const QString& section, const QString& key,
                                    const QString& value) const {
    const QString sectionName = trimmed(section).toString();
    const QString keyName = trimmed(key).toString();
    if (!acceptable(sectionName, keyName, value))
        return WriteResult::Refused;
    // Checked before the lock as well: no lock file beside a device or a FIFO.
    if (problemAt(m_path) != Problem::None)
        return WriteResult::Unusable;

    // Held until the new file is in place; released on every way out.
    QLockFile lock(lockFilePath(m_path));
    lock.setStaleLockTime(AbandonedLockMs);
    if (!lock.tryLock(timing::scaled(LockWaitMs)))
        return lock.error() == QLockFile::LockFailedError ? WriteResult::Busy : WriteResult::Failed;

    std::optional<Document> doc = Document::load(m_path);
    if (!doc)
        return WriteResult::Unusable;
    switch (doc->put(sectionName, keyName, withoutLeadingBlanks(value).toString())) {
    case Document::Change::None:
        return WriteResult::Unchanged;
    case Document::Change::Unencodable:
        return WriteResult::Unencodable;
    case Document::Change::Made:
        break;
    }
    const QByteArray bytes = doc->bytes();
    if (bytes.size() > MaxFileBytes)
        return WriteResult::Refused;
    // Whatever the codec does with odd bytes, nothing is stored that would read back as
    // something else.
    if (!doc->readsAs(bytes) || !Document::holdsEntry(bytes, sectionName, keyName, value))
        return WriteResult::Unencodable;
    return save(m_path, bytes, doc->exists()) ? WriteResult::Written : WriteResult::Failed;
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
                result.append({section.name, keyLine.key, doc->readValue(keyLine.line)});
        }
    }
    return result;
}

IniFile::Problem IniFile::problem() const {
    Problem problem = Problem::None;
    readBytes(m_path, problem);
    return problem;
}

QString IniFile::describe(Problem problem) {
    switch (problem) {
    case Problem::None:
        break;
    case Problem::NotRegularFile:
        return QCoreApplication::translate("settings",
                                           "設定ファイルが通常のファイルではありません");
    case Problem::TooLarge:
        return QCoreApplication::translate("settings",
                                           "設定ファイルが 4 MiB より大きくなっています");
    case Problem::Unreadable:
        return QCoreApplication::translate("settings", "設定ファイルを読み込めません");
    }
    return {};
}

QString IniFile::describe(WriteResult result) const {
    switch (result) {
    case WriteResult::Written:
        return QCoreApplication::translate("settings", "値を保存しました");
    case WriteResult::Unchanged:
        return QCoreApplication::translate("settings", "設定ファイルには既にこの値があります");
    case WriteResult::Refused:
        return QCoreApplication::translate(
            "settings", "この値は保存できません: 改行か NUL を含む値、読み出せなくなる名前、または "
                        "4 MiB を超える設定ファイルになります");
    case WriteResult::Unencodable:
        return QCoreApplication::translate("settings",
                                           "この文字列は設定ファイルの文字コード（古い Shift-JIS "
                                           "のファイル）ではそのまま書けません");
    case WriteResult::Busy:
        return QCoreApplication::translate("settings",
                                           "別のプログラムが設定ファイルをロックしたままです");
    case WriteResult::Unusable: {
        const QString why = describe(problem());
        return why.isEmpty() ? QCoreApplication::translate("settings", "設定ファイルを使えません")
                             : why;
    }
    case WriteResult::Failed:
        break;
    }
    return QCoreApplication::translate("settings",
                                       "設定ファイルに書き込めませんでした（フォルダーがない、権限"
                                       "がない、またはディスクがいっぱいです）");
}

} // namespace pelorin
