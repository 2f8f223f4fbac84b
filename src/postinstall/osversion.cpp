#include "postinstall/osversion.h"

#include <array>
#include <optional>

namespace pelorin::postinstall {

namespace {

struct VersionRow {
    std::uint32_t platformId;
    std::uint32_t majorVersion;
    std::optional<std::uint32_t> minorVersion; // none: any minor version
    const char* name;
};

constexpr std::uint32_t Windows9x = 1;
constexpr std::uint32_t WindowsNt = 2;

const std::array<VersionRow, 8> VersionTable{{
    {Windows9x, 4, 0, "95"},
    {Windows9x, 4, 10, "98"},
    {Windows9x, 4, 90, "Me"},
    {WindowsNt, 4, 0, "NT4"},
    {WindowsNt, 5, 0, "2000"},
    {WindowsNt, 5, 1, "XP"},
    {WindowsNt, 5, 2, "2003"},
    {WindowsNt, 6, std::nullopt, osname::Vista},
}};

bool matches(const VersionRow& row, const VersionRecord& record) {
    return row.platformId == record.platformId && row.majorVersion == record.majorVersion &&
           (!row.minorVersion || *row.minorVersion == record.minorVersion);
}

} // namespace

std::string osVersionName(const VersionRecord& record) {
    for (const VersionRow& row : VersionTable) {
        if (matches(row, record))
            return row.name;
    }
    return {};
}

std::string GetOSVersion(Platform& platform) {
    try {
        return osVersionName(platform.versionRecord());
    } catch (const std::exception&) {
        return osname::Failed;
    }
}

} // namespace pelorin::postinstall
