#pragma once

#include <QList>
#include <QString>

namespace pelorin {

// One profile-format INI file ("[Section]" lines and "Key=Value" lines), read afresh on every
// call and rewritten atomically on every change. Reading and writing follow the classic
// profile-file rules: names match without regard to letter case, the first section and the
// first key of a name win, and every line a write does not touch stays byte for byte.
//
// Encodings: a file keeps the encoding it has. UTF-8 (with or without a byte-order mark) and
// UTF-16 with a byte-order mark are read as such; any other file that is not valid UTF-8 is read
// as Shift-JIS (code page 932), as old Japanese files are written. A line a write changes or adds
// is written in the file's own encoding; a new file is UTF-8.
class IniFile {
public:
    enum class WriteResult {
        Written,     // the file now holds the value
        Unchanged,   // the file already held exactly this value; nothing was touched
        Refused,     // the section, key or value could not be stored safely (line breaks, NUL...)
        Unencodable, // the file's encoding (an old Shift-JIS file) has no form for a character,
                     // or the change would make the file read as UTF-8 with other lines changed
        Failed,      // the file could not be written (folder missing, no permission, disk full)
    };

    struct Entry {
        QString section;
        QString key;
        QString value;
    };

    // Longest value a read gives back, in bytes: of the value's Shift-JIS form in a Shift-JIS
    // file (as the "A" profile functions count), of its UTF-8 form otherwise. Longer ones are cut
    // on a character boundary.
    static constexpr int MaxValueBytes = 1023;

    explicit IniFile(QString path);

    const QString& path() const { return m_path; }

    // The value of `key` in `section`, or the empty text when the file, section or key is missing.
    QString read(const QString& section, const QString& key) const;

    WriteResult write(const QString& section, const QString& key, const QString& value) const;

    // Every value a read would find, in file order: the first section of each name and the first
    // line of each key inside it.
    QList<Entry> entries() const;

    // An English sentence for a write's result, for messages such as pelorinctl's errors.
    QString describe(WriteResult result) const;

private:
    QString m_path;
};

} // namespace pelorin
