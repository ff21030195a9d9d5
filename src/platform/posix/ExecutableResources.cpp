#include "platform/ExecutableResources.h"

#include "platform/Folders.h"

#include <elf.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>

namespace platform {
namespace {

// Table layout, little-endian: "ZDRS", u32 format version, u32 count, then per
// resource u16 type length, type bytes, i32 id, u32 offset from the table
// start, u32 size; the resource bytes follow the index.
constexpr char kMagic[4] = {'Z', 'D', 'R', 'S'};
constexpr std::uint32_t kFormatVersion = 1;

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void SetU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool U16(std::uint16_t& value) {
        if (size_ - at_ < 2) return false;
        value = static_cast<std::uint16_t>(data_[at_] | data_[at_ + 1] << 8);
        at_ += 2;
        return true;
    }
    bool U32(std::uint32_t& value) {
        if (size_ - at_ < 4) return false;
        value = 0;
        for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(data_[at_ + i]) << (8 * i);
        at_ += 4;
        return true;
    }
    bool Bytes(std::size_t count, const std::uint8_t*& bytes) {
        if (size_ - at_ < count) return false;
        bytes = data_ + at_;
        at_ += count;
        return true;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

// Where the ".zres" section header and its data sit in an ELF64 little-endian file.
struct SectionLocation {
    std::size_t headerOffset = 0;
    std::uint64_t dataOffset = 0;
    std::uint64_t dataSize = 0;
};

std::optional<SectionLocation> FindResourceSection(const std::vector<std::uint8_t>& file) {
    if (file.size() < sizeof(Elf64_Ehdr)) return std::nullopt;
    Elf64_Ehdr header;
    std::memcpy(&header, file.data(), sizeof header);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
        header.e_ident[EI_DATA] != ELFDATA2LSB || header.e_shentsize != sizeof(Elf64_Shdr)) {
        return std::nullopt;
    }
    const std::uint64_t count = header.e_shnum;
    if (header.e_shoff > file.size() || count > (file.size() - header.e_shoff) / sizeof(Elf64_Shdr) ||
        header.e_shstrndx >= count) {
        return std::nullopt;
    }
    auto sectionAt = [&](std::uint64_t index) {
        Elf64_Shdr section;
        std::memcpy(&section, file.data() + header.e_shoff + index * sizeof(Elf64_Shdr), sizeof section);
        return section;
    };
    const Elf64_Shdr names = sectionAt(header.e_shstrndx);
    if (names.sh_offset > file.size() || names.sh_size > file.size() - names.sh_offset) return std::nullopt;

    for (std::uint64_t i = 0; i < count; ++i) {
        const Elf64_Shdr section = sectionAt(i);
        if (section.sh_name >= names.sh_size) continue;
        const char* name = reinterpret_cast<const char*>(file.data() + names.sh_offset + section.sh_name);
        const std::size_t room = names.sh_size - section.sh_name;
        if (strnlen(name, room) == room || kResourceSectionName != name) continue;
        if (section.sh_type != SHT_PROGBITS || section.sh_offset > file.size() ||
            section.sh_size > file.size() - section.sh_offset) {
            return std::nullopt;
        }
        return SectionLocation{static_cast<std::size_t>(header.e_shoff + i * sizeof(Elf64_Shdr)), section.sh_offset,
                               section.sh_size};
    }
    return std::nullopt;
}

bool WriteFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return false;
    const std::string temporary = path + ".zres-new";
    FILE* out = std::fopen(temporary.c_str(), "wb");
    if (!out) return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    written = std::fflush(out) == 0 && written;
    written = fsync(fileno(out)) == 0 && written;
    written = std::fclose(out) == 0 && written;
    if (!written || chmod(temporary.c_str(), info.st_mode & 07777) != 0 ||
        std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeResourceTable(const ResourceTable& table) {
    std::vector<std::uint8_t> out(std::begin(kMagic), std::end(kMagic));
    PutU32(out, kFormatVersion);
    PutU32(out, static_cast<std::uint32_t>(table.size()));
    std::vector<std::size_t> offsetFields;
    for (const Resource& resource : table) {
        PutU16(out, static_cast<std::uint16_t>(resource.type.size()));
        out.insert(out.end(), resource.type.begin(), resource.type.end());
        PutU32(out, static_cast<std::uint32_t>(resource.id));
        offsetFields.push_back(out.size());
        PutU32(out, 0);
        PutU32(out, static_cast<std::uint32_t>(resource.bytes.size()));
    }
    for (std::size_t i = 0; i < table.size(); ++i) {
        SetU32(out, offsetFields[i], static_cast<std::uint32_t>(out.size()));
        out.insert(out.end(), table[i].bytes.begin(), table[i].bytes.end());
    }
    return out;
}

std::optional<ResourceTable> DecodeResourceTable(const std::uint8_t* data, std::size_t size) {
    Reader reader(data, size);
    const std::uint8_t* magic = nullptr;
    std::uint32_t version = 0;
    std::uint32_t count = 0;
    if (!reader.Bytes(4, magic) || std::memcmp(magic, kMagic, 4) != 0 || !reader.U32(version) ||
        version != kFormatVersion || !reader.U32(count)) {
        return std::nullopt;
    }
    ResourceTable table;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint16_t typeLength = 0;
        const std::uint8_t* type = nullptr;
        std::uint32_t id = 0, offset = 0, length = 0;
        if (!reader.U16(typeLength) || !reader.Bytes(typeLength, type) || !reader.U32(id) || !reader.U32(offset) ||
            !reader.U32(length) || offset > size || length > size - offset) {
            return std::nullopt;
        }
        table.push_back(Resource{std::string(type, type + typeLength), static_cast<int>(id),
                                 std::vector<std::uint8_t>(data + offset, data + offset + length)});
    }
    return table;
}

std::optional<ResourceTable> ReadResourceTable(const std::string& path) {
    const auto file = ReadWholeFile(path);
    if (!file) return std::nullopt;
    const auto section = FindResourceSection(*file);
    if (!section) return std::nullopt;
    return DecodeResourceTable(file->data() + section->dataOffset, section->dataSize);
}

bool WriteResourceTable(const std::string& path, const ResourceTable& table) {
    auto file = ReadWholeFile(path);
    if (!file) return false;
    const auto section = FindResourceSection(*file);
    if (!section) return false;

    // A section that already ends the file is rewritten where it is; otherwise
    // the new data goes to the end and the header points there. The old bytes
    // stay as unreferenced padding until the next strip.
    const std::vector<std::uint8_t> data = EncodeResourceTable(table);
    std::uint64_t offset = section->dataOffset;
    if (section->dataOffset + section->dataSize == file->size()) {
        file->resize(offset);
    } else {
        file->resize((file->size() + 7) / 8 * 8);
        offset = file->size();
    }
    file->insert(file->end(), data.begin(), data.end());

    Elf64_Shdr header;
    std::memcpy(&header, file->data() + section->headerOffset, sizeof header);
    header.sh_offset = offset;
    header.sh_size = data.size();
    header.sh_addralign = 1;
    std::memcpy(file->data() + section->headerOffset, &header, sizeof header);
    return WriteFileReplacing(path, *file);
}

const Resource* FindResource(const ResourceTable& table, std::string_view type, int id) {
    for (const Resource& resource : table) {
        if (resource.type == type && resource.id == id) return &resource;
    }
    return nullptr;
}

std::optional<std::vector<std::uint8_t>> LoadModuleResource(std::string_view type, int id) {
    static std::once_flag loaded;
    static std::optional<ResourceTable> table;
    std::call_once(loaded, [] { table = ReadResourceTable(ModulePath()); });
    if (!table) return std::nullopt;
    const Resource* resource = FindResource(*table, type, id);
    if (!resource) return std::nullopt;
    return resource->bytes;
}

}  // namespace platform
