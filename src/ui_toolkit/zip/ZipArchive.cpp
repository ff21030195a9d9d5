#include "ui_toolkit/zip/ZipArchive.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string_view>

#include <zlib.h>

#include "platform/TextConversion.h"

// Record layouts (all numbers little-endian):
//
//   local header (30 bytes + name + extra), then the entry's data
//     0 signature 50 4B 03 04 | 26 name length (2) | 28 extra length (2)
//
//   central directory record (46 bytes + name + extra + comment)
//     0 signature 50 4B 01 02 | 4 made by (2)       | 8 flags (2)
//    10 method (2)            | 12 time (2)          | 14 date (2)
//    16 CRC-32 (4)            | 20 compressed (4)    | 24 uncompressed (4)
//    28 name length (2)       | 30 extra length (2)  | 32 comment length (2)
//    38 external attributes (4)                      | 42 local header offset (4)
//
//   end of central directory (22 bytes + comment), at the end of the archive
//     0 signature 50 4B 05 06 | 4 this disk (2)      | 6 directory disk (2)
//     8 entries here (2)      | 10 entries total (2) | 12 directory size (4)
//    16 directory offset (4)  | 20 comment length (2)

namespace {

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kMaxCommentSize = 0xFFFF;

constexpr std::uint16_t kFlagEncrypted = 1;
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflated = 8;

// "Made by" host systems whose external attributes carry MS-DOS attributes
// (FAT, NTFS, VFAT) or a Unix mode in the upper 16 bits.
constexpr unsigned kHostFat = 0;
constexpr unsigned kHostUnix = 3;
constexpr unsigned kHostNtfs = 10;
constexpr unsigned kHostVfat = 14;

std::uint16_t Read16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Read32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

char NormalizeNameByte(char c, bool ignoreCase) {
    if (c == '\\') return '/';
    if (ignoreCase && c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
    return c;
}

// `wanted` is already normalized; `stored` is the name as in the archive.
bool NamesMatch(std::string_view wanted, const std::uint8_t* stored, std::size_t storedLength, bool ignoreCase) {
    if (wanted.size() != storedLength) return false;
    for (std::size_t i = 0; i < storedLength; ++i) {
        if (wanted[i] != NormalizeNameByte(static_cast<char>(stored[i]), ignoreCase)) return false;
    }
    return true;
}

std::uint32_t AttributesOf(const std::uint8_t* record, bool isFolder) {
    if (isFolder) return ZipEntry::kDirectory;
    const unsigned host = record[5];
    const std::uint32_t external = Read32(record + 38);
    std::uint32_t attributes = 0;
    if (host == kHostFat || host == kHostNtfs || host == kHostVfat) {
        attributes = external & (ZipEntry::kReadOnly | ZipEntry::kHidden | ZipEntry::kSystem | ZipEntry::kArchive);
    } else if (host == kHostUnix) {
        const std::uint32_t mode = external >> 16;
        const std::uint32_t kAnyWrite = 0222;
        if (mode != 0 && (mode & kAnyWrite) == 0) attributes = ZipEntry::kReadOnly;
    }
    return attributes != 0 ? attributes : ZipEntry::kNormal;
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

std::int64_t DosStampToSeconds(std::uint16_t date, std::uint16_t time) {
    const unsigned month = std::clamp((date >> 5) & 15u, 1u, 12u);
    const unsigned day = std::max(date & 31u, 1u);
    const std::int64_t days = DaysFromCivil(1980 + (date >> 9), month, day);
    return days * 86400 + (time >> 11) * 3600 + ((time >> 5) & 63) * 60 + (time & 31) * 2;
}

}  // namespace

ZipResult ZipArchive::OpenFromMemory(const void* bytes, std::size_t length) {
    Close();
    if (bytes == nullptr && length != 0) return ZipResult::kBadArgument;
    m_data = static_cast<const std::uint8_t*>(bytes);
    m_size = length;
    return Open();
}

ZipResult ZipArchive::OpenFromFile(const std::string& path) {
    Close();
    // file_size fails for anything but a regular file (a folder, a device).
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > std::numeric_limits<std::size_t>::max()) return ZipResult::kReadError;
    std::ifstream file(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
        return ZipResult::kReadError;
    }
    m_fileBytes = std::move(bytes);
    m_data = m_fileBytes.data();
    m_size = m_fileBytes.size();
    return Open();
}

void ZipArchive::Close() {
    m_data = nullptr;
    m_size = 0;
    m_fileBytes = std::vector<std::uint8_t>();
    m_directoryOffset = 0;
    m_records = std::vector<std::size_t>();
}

// Finds the end record, scanning back over a comment, and checks every central
// directory record once, so that later calls only bound-check the local header
// and data of the entry they read.
bool ZipArchive::ReadDirectory() {
    const std::uint8_t* data = m_data;
    m_data = nullptr;  // stays closed until every check passed
    if (m_size < kEndSize) return false;

    // Prefer an end record whose comment reaches exactly to the end; when the
    // archive has bytes after its comment, take the one nearest the end whose
    // comment fits.
    std::size_t end = m_size;
    std::size_t fitting = m_size;
    const std::size_t lowest = m_size - kEndSize > kMaxCommentSize ? m_size - kEndSize - kMaxCommentSize : 0;
    for (std::size_t at = m_size - kEndSize + 1; at-- > lowest;) {
        if (Read32(data + at) != kEndSignature) continue;
        const std::size_t recordEnd = at + kEndSize + Read16(data + at + 20);
        if (recordEnd == m_size) {
            end = at;
            break;
        }
        if (recordEnd < m_size && fitting == m_size) fitting = at;
    }
    if (end == m_size) end = fitting;
    if (end == m_size) return false;

    const std::uint8_t* record = data + end;
    const std::uint16_t count = Read16(record + 10);
    const std::uint64_t directorySize = Read32(record + 12);
    const std::uint64_t directoryOffset = Read32(record + 16);
    if (Read16(record + 4) != 0 || Read16(record + 6) != 0 || Read16(record + 8) != count ||
        directoryOffset + directorySize > end) {
        return false;
    }

    std::vector<std::size_t> records;
    records.reserve(count);
    const std::size_t directoryEnd = static_cast<std::size_t>(directoryOffset + directorySize);
    std::size_t at = static_cast<std::size_t>(directoryOffset);
    for (unsigned i = 0; i < count; ++i) {
        if (directoryEnd - at < kCentralSize || Read32(data + at) != kCentralSignature) return false;
        const std::size_t recordSize =
            kCentralSize + Read16(data + at + 28) + Read16(data + at + 30) + Read16(data + at + 32);
        if (directoryEnd - at < recordSize) return false;
        records.push_back(at);
        at += recordSize;
    }

    m_data = data;
    m_directoryOffset = static_cast<std::size_t>(directoryOffset);
    m_records = std::move(records);
    return true;
}

ZipResult ZipArchive::Open() {
    if (ReadDirectory()) return ZipResult::kOk;
    Close();
    return ZipResult::kCorrupt;
}

ZipResult ZipArchive::FindItem(const std::wstring& name, bool ignoreCase, int* index, ZipEntry* entry) const {
    if (index != nullptr) *index = -1;
    if (!IsOpen()) return ZipResult::kBadArgument;
    std::string wanted = platform::ToUtf8(name);
    if (wanted.size() > kMaxLookupNameBytes) return ZipResult::kNotFound;
    for (char& c : wanted) c = NormalizeNameByte(c, ignoreCase);

    for (std::size_t i = 0; i < m_records.size(); ++i) {
        const std::uint8_t* record = m_data + m_records[i];
        if (!NamesMatch(wanted, record + kCentralSize, Read16(record + 28), ignoreCase)) continue;
        if (index != nullptr) *index = static_cast<int>(i);
        if (entry != nullptr) FillEntry(static_cast<int>(i), entry);
        return ZipResult::kOk;
    }
    return ZipResult::kNotFound;
}

ZipResult ZipArchive::GetItem(int index, ZipEntry* entry) const {
    if (!IsOpen() || entry == nullptr) return ZipResult::kBadArgument;
    if (index == -1) {
        *entry = ZipEntry{};
        entry->index = static_cast<int>(m_records.size());
        return ZipResult::kOk;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= m_records.size()) return ZipResult::kBadArgument;
    FillEntry(index, entry);
    return ZipResult::kOk;
}

void ZipArchive::FillEntry(int index, ZipEntry* entry) const {
    const std::uint8_t* record = m_data + m_records[static_cast<std::size_t>(index)];
    const std::uint16_t nameLength = Read16(record + 28);
    const std::string_view storedName(reinterpret_cast<const char*>(record + kCentralSize), nameLength);

    entry->index = index;
    entry->name = platform::ToWide(storedName);
    if (entry->name.size() > ZipEntry::kMaxNameLength) entry->name.resize(ZipEntry::kMaxNameLength);
    entry->attributes = AttributesOf(record, !storedName.empty() && storedName.back() == '/');
    entry->dosTime = Read16(record + 12);
    entry->dosDate = Read16(record + 14);
    entry->modifiedTime = DosStampToSeconds(entry->dosDate, entry->dosTime);
    entry->compressedSize = Read32(record + 20);
    entry->uncompressedSize = Read32(record + 24);
}

ZipResult ZipArchive::UnzipItem(int index, void* buffer, std::size_t capacity, std::size_t* written) const {
    if (written != nullptr) *written = 0;
    if (!IsOpen() || buffer == nullptr || index < 0 || static_cast<std::size_t>(index) >= m_records.size()) {
        return ZipResult::kBadArgument;
    }
    const std::uint8_t* record = m_data + m_records[static_cast<std::size_t>(index)];
    const std::uint16_t flags = Read16(record + 8);
    const std::uint16_t method = Read16(record + 10);
    const std::uint32_t expectedCrc = Read32(record + 16);
    const std::uint32_t compressedSize = Read32(record + 20);
    const std::uint32_t size = Read32(record + 24);
    const std::uint64_t localOffset = Read32(record + 42);
    if ((flags & kFlagEncrypted) != 0 || (method != kMethodStored && method != kMethodDeflated)) {
        return ZipResult::kCorrupt;
    }

    // The entry's data must lie before the central directory.
    if (localOffset + kLocalSize > m_directoryOffset || Read32(m_data + localOffset) != kLocalSignature) {
        return ZipResult::kCorrupt;
    }
    const std::uint8_t* local = m_data + localOffset;
    const std::uint64_t dataOffset = localOffset + kLocalSize + Read16(local + 26) + Read16(local + 28);
    if (dataOffset + compressedSize > m_directoryOffset) return ZipResult::kCorrupt;
    const std::uint8_t* data = m_data + dataOffset;

    const bool complete = capacity >= size;
    const std::uint32_t wanted = complete ? size : static_cast<std::uint32_t>(capacity);
    auto* out = static_cast<std::uint8_t*>(buffer);

    if (method == kMethodStored) {
        if (compressedSize != size) return ZipResult::kCorrupt;
        std::memcpy(out, data, wanted);
    } else {
        z_stream stream{};
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return ZipResult::kReadError;
        stream.next_in = const_cast<Bytef*>(data);
        stream.avail_in = compressedSize;
        stream.next_out = out;
        stream.avail_out = wanted;
        const int status = inflate(&stream, Z_FINISH);
        inflateEnd(&stream);
        // Complete: the stream must end exactly at the declared size. Partial:
        // the buffer must have been filled before the stream ended.
        const bool ok = complete ? status == Z_STREAM_END && stream.avail_out == 0
                                 : stream.avail_out == 0 && (status == Z_OK || status == Z_BUF_ERROR);
        if (!ok) return status == Z_MEM_ERROR ? ZipResult::kReadError : ZipResult::kCorrupt;
    }

    if (complete && crc32(0, out, wanted) != expectedCrc) return ZipResult::kCorrupt;
    if (written != nullptr) *written = wanted;
    return complete ? ZipResult::kOk : ZipResult::kMoreData;
}
