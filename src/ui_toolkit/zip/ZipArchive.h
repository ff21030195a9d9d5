#pragma once
// Read-only ZIP archive held in memory: the toolkit's skin archive and the
// installer's language archive are read through it.
//
// Supported: one-disk archives without ZIP64, entries stored (method 0) or
// deflated (method 8, raw deflate). Everything else an archive may contain,
// such as encrypted entries or other methods, is reported as kCorrupt when the
// entry is unzipped. No input makes a call read outside the archive's bytes.
//
// Entry names are read as UTF-8 whether or not the archive sets its UTF-8 flag:
// names of old archives meant as code page 437 come out as UTF-8 too, so their
// non-ASCII bytes become '?'.
//
// Queries do not modify the archive, so several threads may query one open
// archive at once; opening and closing need exclusive access.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class ZipResult {
    kOk,
    kMoreData,  // the buffer was filled and the entry is longer
    kNotFound,
    kCorrupt,      // malformed, unsupported or damaged archive or entry
    kReadError,    // the archive file could not be read
    kBadArgument,  // no archive open, index out of range, null buffer
};

struct ZipEntry {
    // Windows file attribute values.
    static constexpr std::uint32_t kReadOnly = 1;
    static constexpr std::uint32_t kHidden = 2;
    static constexpr std::uint32_t kSystem = 4;
    static constexpr std::uint32_t kDirectory = 16;
    static constexpr std::uint32_t kArchive = 32;
    static constexpr std::uint32_t kNormal = 128;

    static constexpr std::size_t kMaxNameLength = 259;

    int index = -1;
    // At most kMaxNameLength characters; a longer name is cut there.
    std::wstring name;
    // kDirectory exactly when the name ends in '/'; otherwise the read-only,
    // hidden, system and archive flags the archive gives, or kNormal when none.
    std::uint32_t attributes = 0;
    // The modification stamp as stored (MS-DOS date and time, local time of the
    // archive's maker) and the same stamp as seconds since 1970, taken as UTC.
    std::uint16_t dosDate = 0;
    std::uint16_t dosTime = 0;
    std::int64_t modifiedTime = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t uncompressedSize = 0;
};

class ZipArchive {
public:
    // Longest name, in UTF-8 bytes, that FindItem looks up.
    static constexpr std::size_t kMaxLookupNameBytes = 255;

    ZipArchive() = default;
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;
    ~ZipArchive() = default;

    // Opens the archive in bytes[0, length). The bytes are not copied: they must
    // stay valid and unchanged until Close, the next Open or the destruction of
    // this object. Any archive open before is closed first.
    // kOk, kCorrupt (not a readable archive), kBadArgument (null bytes, length > 0).
    ZipResult OpenFromMemory(const void* bytes, std::size_t length);

    // Reads the whole file into memory owned by this object and opens it there.
    // kOk, kCorrupt, kReadError (missing or unreadable file).
    ZipResult OpenFromFile(const std::string& path);

    void Close();
    bool IsOpen() const { return m_data != nullptr; }

    // Looks `name` up by one walk of the central directory from its first
    // entry; the first entry whose name matches wins. The name is compared in
    // UTF-8 with every '\' taken as '/' (on both sides), and with ASCII letters
    // folded when ignoreCase is set. A name of more than kMaxLookupNameBytes
    // bytes is not found. `index` and `entry` may be null; on failure *index
    // is -1. kOk, kNotFound, kBadArgument (no archive open).
    ZipResult FindItem(const std::wstring& name, bool ignoreCase, int* index, ZipEntry* entry) const;

    // Describes entry `index` (0-based, archive order). Index -1 instead gives
    // the number of entries in entry->index, the other fields cleared.
    // kOk, kBadArgument (no archive open, index out of range, null entry).
    ZipResult GetItem(int index, ZipEntry* entry) const;

    // Unzips entry `index` from its start straight into buffer[0, capacity).
    // kOk: the whole entry is in the buffer and its CRC-32 matched.
    // kMoreData: the buffer holds the entry's first `capacity` bytes and the
    //   entry is longer (the CRC-32 cannot be checked then). A call never
    //   continues an earlier one.
    // kCorrupt: damaged data, CRC-32 mismatch, an unsupported method or an
    //   encrypted entry; the buffer contents are then unspecified.
    // kBadArgument: no archive open, index out of range, null buffer.
    // `written` (may be null) receives the number of bytes placed, 0 on failure.
    ZipResult UnzipItem(int index, void* buffer, std::size_t capacity, std::size_t* written) const;

private:
    ZipResult Open();
    bool ReadDirectory();
    void FillEntry(int index, ZipEntry* entry) const;

    const std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
    std::vector<std::uint8_t> m_fileBytes;  // the archive read by OpenFromFile
    std::size_t m_directoryOffset = 0;      // start of the central directory
    // Offset of each entry's central directory record, in archive order; every
    // record, with its name, extra field and comment, lies inside the central
    // directory, which lies before the end record.
    std::vector<std::size_t> m_records;
};
