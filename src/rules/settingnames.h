#pragma once

#include <QString>

#include <optional>

namespace pelorin {

inline constexpr auto SettingsFileName = "setting.ini";

// Section and key names as they stand in setting.ini.
namespace ini {
inline constexpr auto Pos = "Pos";
inline constexpr auto Form = "Form";
inline constexpr auto Server = "Server";
inline constexpr auto Show = "Show";
inline constexpr auto Tray = "Tray";     // "0": no tray icon (default "1")
inline constexpr auto Notify = "Notify"; // "0": no desktop notifications (default "1")
inline constexpr auto URL = "URL";
inline constexpr auto UserName = "UserName";
inline constexpr auto Password = "Password";
inline constexpr auto Address = "Address";
inline constexpr auto Mac = "Mac";
QString listKey(int n); // "List-1" ... "List-100"
QString macKey(int n);  // "Mac-1" ... "Mac-5"
inline constexpr int ListSlots = 100;
inline constexpr int MacSlots = 5;
} // namespace ini

// Names in a settings file match whatever their letter case, as the profile functions match them.
bool sameName(QStringView a, QStringView b);

// The windows whose places are kept in section Pos, and the keys of each one's top and left edge.
enum class Window { Main, Setting, Mac, Button };
struct PositionKeys {
    QString top;
    QString left;
};
PositionKeys positionKeys(Window window);

struct SettingName {
    QString section;
    QString key;
};

// The section and key as the program writes them, for any letter case of a known name;
// nothing when the program has no such setting.
std::optional<SettingName> knownSetting(const QString& section, const QString& key);

// Pos, Form or Server, in any letter case.
bool isSectionName(const QString& section);

// Server/URL or one of the registered URLs List-1 ... List-100.
bool isUrlSetting(const SettingName& name);
// Server/Mac or one of the learned addresses Mac-1 ... Mac-5.
bool isMacSetting(const SettingName& name);

// The number of a registered URL's key "List-N" (any letter case), when it is one.
std::optional<int> listSlot(const QString& key);

} // namespace pelorin
