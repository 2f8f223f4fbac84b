// The INI engine on arbitrary files and arbitrary names and values. Input: section, key and
// value as backslash-terminated fields, then the file's bytes as they are.
//
// Checked for every input:
// - the entries the file lists read back as listed, and no name is listed twice;
// - the write is refused exactly when a name or the value could not be stored safely;
// - after a write the value reads back as the profile rules make it (leading and trailing blanks
//   gone, one matching outer quote pair removed, at most 1023 bytes cut on a character
//   boundary) and every other entry keeps its value;
// - a write touches one line, or adds at most the key line and a section header; all other lines
//   of a file in an 8-bit encoding stay byte for byte;
// - only a Shift-JIS file turns a text away as unencodable;
// - writing the same value again leaves the file as it is.
#include "common/textcodec.h"
#include "fuzzcheck.h"
#include "settings/inifile.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

using pelorin::IniFile;
using Result = IniFile::WriteResult;

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

QString stripBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

bool hasBreakOrNul(const QString& text) {
    return text.contains(u'\r') || text.contains(u'\n') || text.contains(QChar(u'\0'));
}

bool refusable(const QString& section, const QString& key, const QString& value) {
    const QString s = stripBlanks(section);
    const QString k = stripBlanks(key);
    return hasBreakOrNul(s) || s.contains(u']') || s.startsWith(u'[') || hasBreakOrNul(k) ||
           k.isEmpty() || k.contains(u'=') || k.startsWith(u'[') || hasBreakOrNul(value);
}

// What a read gives back for a stored value: blanks around it and one matching quote pair go,
// then the UTF-8 form is cut to 1023 bytes without splitting a character; in a Shift-JIS file
// the Shift-JIS form is.
QString asRead(const QString& value, pelorin::TextEncoding encoding) {
    QString v = stripBlanks(value);
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    if (encoding == pelorin::TextEncoding::Cp932)
        return pelorin::TextCodec(encoding).cut(v, IniFile::MaxValueBytes).toString();
    QByteArray bytes = v.toUtf8();
    if (bytes.size() <= IniFile::MaxValueBytes)
        return v;
    qsizetype cut = IniFile::MaxValueBytes;
    while (cut > 0 && (static_cast<uchar>(bytes[cut]) & 0xC0) == 0x80)
        --cut; // never keep the first bytes of a character whose last ones do not fit
    bytes.truncate(cut);
    return QString::fromUtf8(bytes);
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool replaceFile(const QString& path, const QByteArray& bytes) {
    QFile::remove(path);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Lines with their breaks, the way the engine splits them (CR LF, LF or a lone CR).
QList<QByteArray> lines(const QByteArray& bytes) {
    QList<QByteArray> result;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype stop = start;
        while (stop < bytes.size() && bytes[stop] != '\n' && bytes[stop] != '\r')
            ++stop;
        if (stop < bytes.size())
            stop +=
                bytes[stop] == '\r' && stop + 1 < bytes.size() && bytes[stop + 1] == '\n' ? 2 : 1;
        result.append(bytes.mid(start, stop - start));
        start = stop;
    }
    return result;
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isWrittenEntry(const IniFile::Entry& entry, const QString& section, const QString& key) {
    return sameName(entry.section, stripBlanks(section)) && sameName(entry.key, stripBlanks(key));
}

// Each read parses the whole file again; past the first few entries that would only slow the
// search down without reaching new code.
constexpr qsizetype EntriesReadBack = 16;

void checkEntries(const IniFile& ini) {
    const QList<IniFile::Entry> entries = ini.entries();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const IniFile::Entry& e = entries[i];
        if (i < EntriesReadBack)
            FUZZ_CHECK(ini.read(e.section, e.key) == e.value, e.section << e.key << e.value);
        for (qsizetype j = 0; j < i; ++j)
            FUZZ_CHECK(
                !(sameName(entries[j].section, e.section) && sameName(entries[j].key, e.key)),
                e.section << e.key);
    }
}

QList<IniFile::Entry> othersThan(QList<IniFile::Entry> entries, const QString& section,
                                 const QString& key) {
    entries.removeIf([&](const IniFile::Entry& e) { return isWrittenEntry(e, section, key); });
    return entries;
}

bool sameEntries(const QList<IniFile::Entry>& a, const QList<IniFile::Entry>& b) {
    return std::ranges::equal(a, b, [](const IniFile::Entry& x, const IniFile::Entry& y) {
        return x.section == y.section && x.key == y.key && x.value == y.value;
    });
}

const QString& filePath() {
    static const QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("setting.ini"));
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const QString section = pelorin::fuzz::field(input);
    const QString key = pelorin::fuzz::field(input);
    const QString value = pelorin::fuzz::field(input);
    const std::string file = input.ConsumeRemainingBytesAsString();
    const QByteArray before(file.data(), static_cast<qsizetype>(file.size()));

    const QString& path = filePath();
    if (!replaceFile(path, before))
        std::abort();
    const IniFile ini(path);
    checkEntries(ini);
    const QList<IniFile::Entry> entriesBefore = ini.entries();

    const pelorin::TextEncoding encoding = pelorin::detectEncoding(before).encoding;
    const Result result = ini.write(section, key, value);
    const QByteArray after = contents(path);
    FUZZ_CHECK(result != Result::Failed && result != Result::Busy && result != Result::Unusable,
               path);
    FUZZ_CHECK((result == Result::Refused) == refusable(section, key, value),
               section << key << value);
    FUZZ_CHECK(result != Result::Unencodable || encoding == pelorin::TextEncoding::Cp932, before);
    if (result != Result::Written) {
        FUZZ_CHECK(after == before, before << after);
        if (result == Result::Unchanged)
            FUZZ_CHECK(ini.read(section, key) == asRead(value, encoding), ini.read(section, key)
                                                                              << value);
        return 0;
    }

    FUZZ_CHECK(ini.read(section, key) == asRead(value, encoding), ini.read(section, key) << value);
    checkEntries(ini);
    const QList<IniFile::Entry> entriesAfter = ini.entries();
    FUZZ_CHECK(sameEntries(othersThan(entriesBefore, section, key),
                           othersThan(entriesAfter, section, key)),
               before << after);
    FUZZ_CHECK(
        std::ranges::any_of(
            entriesAfter, [&](const IniFile::Entry& e) { return isWrittenEntry(e, section, key); }),
        section << key << after);

    if (encoding == pelorin::TextEncoding::Utf8 || encoding == pelorin::TextEncoding::Cp932) {
        // Whatever lies between the unchanged first and last lines is the write's own work.
        const QList<QByteArray> oldLines = lines(before);
        const QList<QByteArray> newLines = lines(after);
        qsizetype head = 0;
        while (head < oldLines.size() && head < newLines.size() && oldLines[head] == newLines[head])
            ++head;
        qsizetype tail = 0;
        while (tail < oldLines.size() - head && tail < newLines.size() - head &&
               oldLines[oldLines.size() - 1 - tail] == newLines[newLines.size() - 1 - tail])
            ++tail;
        const qsizetype oldChanged = oldLines.size() - head - tail;
        const qsizetype newChanged = newLines.size() - head - tail;
        FUZZ_CHECK(oldChanged <= 1 && newChanged >= 1 && newChanged - oldChanged <= 2,
                   before << after);
    }

    FUZZ_CHECK(ini.write(section, key, value) != Result::Failed, path);
    FUZZ_CHECK(contents(path) == after, after << contents(path));
    return 0;
}
