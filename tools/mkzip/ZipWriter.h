#pragma once
// Builds a ZIP archive in memory: one disk, no ZIP64, entries stored or
// deflated, written in the order they are added.
//
// The output depends only on the entries added (and on zlib's deflate): every
// entry carries the fixed time stamp 1980-01-01 00:00:00 and no host-specific
// attributes, so the same inputs always give the same bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class ZipWriter {
public:
    enum class Method { kStored, kDeflate };

    // Adds the folder entry "name/" (a '/' is appended unless present), size 0.
    // False, adding nothing, when the name is empty or a limit would be passed.
    bool AddFolder(std::string_view name);

    // Adds a file entry holding `bytes`. False, adding nothing, when the name
    // is empty or a limit of the format would be passed (names of 65535 bytes,
    // 65535 entries, sizes and offsets below 4 GiB).
    bool AddFile(std::string_view name, std::string_view bytes, Method method = Method::kDeflate);
    bool AddFile(std::string_view name, const void* bytes, std::size_t length, Method method = Method::kDeflate);

    // An archive comment (at most 65535 bytes; longer ones are cut).
    void SetComment(std::string_view comment);

    // The archive made of the entries added so far. The writer is unchanged,
    // so more entries may follow and Finish be called again.
    std::vector<std::uint8_t> Finish() const;

    std::size_t EntryCount() const { return m_entryCount; }

private:
    bool AddEntry(std::string_view name, const std::uint8_t* bytes, std::size_t length, Method method);

    std::vector<std::uint8_t> m_body;       // local headers and entry data
    std::vector<std::uint8_t> m_directory;  // central directory records
    std::string m_comment;
    std::size_t m_entryCount = 0;
};
