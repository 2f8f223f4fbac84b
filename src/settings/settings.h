#pragma once

#include "rules/settingnames.h"
#include "settings/inifile.h"

#include <QString>
#include <QStringList>

namespace pelorin {

// One settings file and what the program keeps in it, by meaning rather than by key. Every read
// goes to the file afresh, so a value another window or pelorinctl wrote is seen at once; a read
// of several values reads the file once. Writes are silent where the program cannot act on a
// failure, and checked where it can.
class Settings {
public:
    explicit Settings(QString path);

    const QString& path() const { return m_file.path(); }
    const IniFile& file() const { return m_file; }

    QString read(const QString& section, const QString& key) const;
    // Stores the value at once; whether the file now holds it.
    bool write(const QString& section, const QString& key, const QString& value) const;
    // Same, with the reason a write did not happen; IniFile::describe gives it in words.
    IniFile::WriteResult writeChecked(const QString& section, const QString& key,
                                      const QString& value) const;

    struct Credentials {
        QString userName;
        QString password;
    };

    QString url() const;                // Server/URL, the current server
    Credentials credentials() const;    // Server/UserName and Server/Password
    QString macToWake() const;          // Server/Mac, else Server/Mac-1
    QStringList registeredUrls() const; // List-1 ... List-100 that are set, in slot order
    // A URL in List-2 ... List-100: start-up asks which server to use before it probes.
    bool severalUrlsRegistered() const;
    // No URL, and not both the address and the MAC address: start-up asks for a server.
    bool serverMissing() const;

    // Keeps `url` in the first free List-N slot; with all slots taken it is not remembered.
    void registerUrl(const QString& url) const;
    // The server's addresses into Mac-1 ... Mac-5: every slot is emptied first, in order, then
    // the addresses are written from Mac-1 on (one that cannot be stored leaves its slot empty).
    void storeReportedMacs(const QStringList& addresses) const;

    // A window's stored top and left edge (twips), as the texts they are.
    struct StoredPosition {
        QString top;
        QString left;
    };
    StoredPosition position(Window window) const;
    // Top first, then left, as decimal text.
    void setPosition(Window window, int topTwips, int leftTwips) const;

private:
    // The values of several keys of one section, from one reading of the file.
    QStringList readMany(const QString& section, const QStringList& keys) const;

    IniFile m_file;
};

// Where Pelorin's settings live. An installed copy (a program in <prefix>/bin beside
// <prefix>/share/pelorin, as the installation lays it out) keeps them per user, in
// $XDG_CONFIG_HOME/Pelorin/setting.ini, and never writes beside its executable. Any other copy is
// a portable one (an unpacked folder, the build tree, a copy a test makes) and keeps them beside
// its executable.
QString defaultSettingsFilePath();

// The settings the windows work on: defaultSettingsFilePath() unless another file was chosen
// (tests point it at a file of their own). The core never uses it: it is handed a Settings.
Settings& programSettings();
void setSettingsFilePath(const QString& path);
QString settingsFilePath();

// The settings routines the windows use, on programSettings(). ReadIni gives the empty text for
// a missing value; WriteIni stores at once and tells whether the file now holds the value.
QString ReadIni(const QString& section, const QString& key);
bool WriteIni(const QString& section, const QString& key, const QString& value);
IniFile::WriteResult WriteIniChecked(const QString& section, const QString& key,
                                     const QString& value);

// Whether programSettings()' file can be used as it stands (IniFile::problem). Reads of an
// unusable file give the empty text and writes fail, so programs check this at start-up.
IniFile::Problem settingsFileProblem();

} // namespace pelorin
