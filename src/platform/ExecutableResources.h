#pragma once
// Stands for FindResource / LoadResource / SizeofResource and UpdateResource.
// The resources of an executable are one table of (type, id, bytes) kept in
// the ELF section ".zres": not loaded at run time, kept by strip, read from the
// program's own file and rewritten in place by the zres tool.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The resource types the program uses, named as the Windows ones.
inline constexpr std::string_view kResourceTypeZip = "ZIPRES";
inline constexpr std::string_view kResourceTypeRcData = "RT_RCDATA";
inline constexpr std::string_view kResourceTypeGroupIcon = "RT_GROUP_ICON";
inline constexpr std::string_view kResourceTypeVersion = "RT_VERSION";

inline constexpr std::string_view kResourceSectionName = ".zres";

struct Resource {
    std::string type;
    int id = 0;
    std::vector<std::uint8_t> bytes;
};

using ResourceTable = std::vector<Resource>;

std::vector<std::uint8_t> EncodeResourceTable(const ResourceTable& table);

// Nullopt for anything that is not a complete, well-formed table.
std::optional<ResourceTable> DecodeResourceTable(const std::uint8_t* data, std::size_t size);

// The table of an ELF file; nullopt when the file is unreadable, is not ELF,
// has no ".zres" section or the section does not decode.
std::optional<ResourceTable> ReadResourceTable(const std::string& path);

// Replaces the ".zres" section of an ELF file with the table. The file is
// rewritten through a temporary copy and a rename, so a failure leaves it as it
// was. False when the file has no such section or cannot be written.
bool WriteResourceTable(const std::string& path, const ResourceTable& table);

const Resource* FindResource(const ResourceTable& table, std::string_view type, int id);

// The bytes of one resource of the running program; the table is read from the
// program's file on first use and kept for the process lifetime.
std::optional<std::vector<std::uint8_t>> LoadModuleResource(std::string_view type, int id);

}  // namespace platform
