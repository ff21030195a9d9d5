#include "platform/VersionInfo.h"

#include "platform/ExecutableResources.h"

#include <cstdlib>
#include <sstream>

namespace platform {
namespace {

constexpr int kVersionResourceId = 1;

std::optional<std::array<std::uint16_t, 4>> ParseFourPartVersion(const std::string& text) {
    std::array<std::uint16_t, 4> parts{};
    std::size_t at = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::size_t end = text.find('.', at);
        const std::string part = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (part.empty() || part.size() > 5 || part.find_first_not_of("0123456789") != std::string::npos) {
            return std::nullopt;
        }
        const unsigned long value = std::strtoul(part.c_str(), nullptr, 10);
        if (value > 0xFFFF) return std::nullopt;
        parts[i] = static_cast<std::uint16_t>(value);
        if ((end == std::string::npos) != (i == parts.size() - 1)) return std::nullopt;
        at = end + 1;
    }
    return parts;
}

}  // namespace

std::optional<VersionInfo> ParseVersionInfo(const std::string& text) {
    VersionInfo info;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0) return std::nullopt;
        const std::string path = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (path == "FileVersion") {
            info.fixedFileVersion = ParseFourPartVersion(value);
            if (!info.fixedFileVersion) return std::nullopt;
        } else {
            info.values[path] = value;
        }
    }
    return info;
}

std::optional<VersionInfo> ReadVersionInfo(const std::string& path) {
    const auto table = ReadResourceTable(path);
    if (!table) return std::nullopt;
    const Resource* resource = FindResource(*table, kResourceTypeVersion, kVersionResourceId);
    if (!resource) return std::nullopt;
    return ParseVersionInfo(std::string(resource->bytes.begin(), resource->bytes.end()));
}

std::optional<std::string> QueryVersionValue(const VersionInfo& info, const std::string& subBlock) {
    const auto found = info.values.find(subBlock);
    if (found == info.values.end()) return std::nullopt;
    return found->second;
}

}  // namespace platform
