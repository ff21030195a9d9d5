#pragma once
// Stands for GetFileVersionInfo + VerQueryValue on the RT_VERSION resource 1.
// The resource is UTF-8 text, one "path=value" line per value:
//   FileVersion=4.3.0.9                      the fixed file version
//   \VarFileInfo\Translation=040904b0
//   \StringFileInfo\040904b0\FileDescription=...

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace platform {

struct VersionInfo {
    // major, minor, build, revision; absent when the resource has no FileVersion.
    std::optional<std::array<std::uint16_t, 4>> fixedFileVersion;
    std::map<std::string, std::string> values;
};

// Nullopt for text that is not a version resource (a line without '=', a
// FileVersion that is not four 16-bit numbers).
std::optional<VersionInfo> ParseVersionInfo(const std::string& text);

// The version resource of an executable file; nullopt when it has none.
std::optional<VersionInfo> ReadVersionInfo(const std::string& path);

// A value by its sub-block path, e.g. "\StringFileInfo\040904b0\FileDescription".
std::optional<std::string> QueryVersionValue(const VersionInfo& info, const std::string& subBlock);

}  // namespace platform
