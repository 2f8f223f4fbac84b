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
//
// Hostile paths: a path that is no regular file (a folder, a device, a FIFO; a symbolic link to
// a regular file is fine) or a file over MaxFileBytes is never read: reads give the empty text,
// writes report Unusable and touch nothing, and problem() tells why.
//
// Writers: the read-modify-write of a write holds a lock file beside the file ("<file>.lock"),
// so writers in several processes never lose each other's changes. A lock left by a process
// that died is taken over; a live one is waited for at most LockWaitMs. Reads take no lock:
// a write replaces the file in one rename, so a read sees the old file or the new one.
class IniFile {
public:
    enum class WriteResult {
        Written,     // the file now holds the value
        Unchanged,   // the file already held exactly this value; nothing was touched
        Refused,     // the section, key or value could not be stored safely (line breaks, NUL...),
                     // or the file would grow past MaxFileBytes
        Unencodable, // the file's encoding (an old Shift-JIS file) has no form for a character,
                     // or the change would make the file read as UTF-8 with other lines changed
        Busy,        // another writer kept the file locked for longer than LockWaitMs
        Unusable,    // the path is no usable settings file (problem() says why); untouched
        Failed,      // the file could not be written (folder missing, no permission, disk full)
    };

    // Why a path cannot serve as a settings file.
    enum class Problem {
        None,           // usable; a missing file is usable too (it reads empty, a write creates it)
        NotRegularFile, // a folder, a device such as /dev/zero, a FIFO...; never opened
        TooLarge,       // larger than MaxFileBytes; never read
        Unreadable,     // there, but it cannot be opened or read (no permission...)
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

    // Largest file that is read or written. Settings files hold a few kilobytes; a bigger one is
    // not ours, and reading it would only make the program slow or run out of memory.
    static constexpr qint64 MaxFileBytes = 4 * 1024 * 1024;

    // Longest wait for another writer's lock, before the time scale of common/timing.h.
    static constexpr int LockWaitMs = 5000;

    explicit IniFile(QString path);

    const QString& path() const { return m_path; }

    // The value of `key` in `section`, or the empty text when the file, section or key is missing
    // or the file cannot be used.
    QString read(const QString& section, const QString& key) const;

    WriteResult write(const QString& section, const QString& key, const QString& value) const;

    // Every value a read would find, in file order: the first section of each name and the first
    // line of each key inside it.
    QList<Entry> entries() const;

    // Whether the file can be used as it stands now, and why not. Programs check it at start-up
    // to tell the user, since reads and the window's writes fail silently.
    Problem problem() const;

    // English sentences for messages such as pelorinctl's errors. describe(Problem::None) is the
    // empty text. For WriteResult::Unusable the sentence names the file's problem as it stands
    // now.
    static QString describe(Problem problem);
    QString describe(WriteResult result) const;

private:
    QString m_path;
};

} // namespace pelorin
