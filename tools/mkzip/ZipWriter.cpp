#include "mkzip/ZipWriter.h"

#include <limits>

#include <zlib.h>

namespace {

constexpr std::uint16_t kVersion = 20;  // 2.0: deflate and folders; host 0 (MS-DOS)
constexpr std::uint16_t kFlagUtf8Name = 1u << 11;
constexpr std::uint16_t kDosDate1980 = (0 << 9) | (1 << 5) | 1;  // 1980-01-01
constexpr std::uint16_t kDosTimeMidnight = 0;
constexpr std::uint32_t kDosDirectory = 16;
constexpr std::uint64_t kMax32 = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t kMax16 = std::numeric_limits<std::uint16_t>::max();

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void PutBytes(std::vector<std::uint8_t>& out, std::string_view bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// Raw deflate at the best compression level into `out`.
bool Deflate(const std::uint8_t* bytes, std::size_t length, std::vector<std::uint8_t>& out) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        return false;
    }
    out.resize(deflateBound(&stream, static_cast<uLong>(length)));
    stream.next_in = const_cast<Bytef*>(bytes);
    stream.avail_in = static_cast<uInt>(length);
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return status == Z_STREAM_END;
}

}  // namespace

bool ZipWriter::AddFolder(std::string_view name) {
    if (name.empty()) return false;
    std::string folder(name);
    if (folder.back() != '/') folder += '/';
    return AddEntry(folder, nullptr, 0, Method::kStored);
}

bool ZipWriter::AddFile(std::string_view name, std::string_view bytes, Method method) {
    return AddEntry(name, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), method);
}

bool ZipWriter::AddFile(std::string_view name, const void* bytes, std::size_t length, Method method) {
    if (bytes == nullptr && length != 0) return false;
    return AddEntry(name, static_cast<const std::uint8_t*>(bytes), length, method);
}

void ZipWriter::SetComment(std::string_view comment) {
    m_comment = comment.substr(0, kMax16);
}

bool ZipWriter::AddEntry(std::string_view name, const std::uint8_t* bytes, std::size_t length, Method method) {
    if (name.empty() || name.size() > kMax16 || m_entryCount >= kMax16 || length > kMax32) return false;

    std::vector<std::uint8_t> deflated;
    const std::uint8_t* data = bytes;
    std::size_t dataLength = length;
    if (method == Method::kDeflate) {
        if (!Deflate(bytes, length, deflated)) return false;
        data = deflated.data();
        dataLength = deflated.size();
    }
    const std::uint64_t offset = m_body.size();
    const std::uint64_t directoryEnd = offset + 30 + name.size() + dataLength + m_directory.size() + 46 + name.size();
    if (dataLength > kMax32 || directoryEnd > kMax32) return false;

    const std::uint32_t crc = length == 0 ? 0 : static_cast<std::uint32_t>(crc32(0, bytes, static_cast<uInt>(length)));
    const std::uint16_t flags = IsAscii(name) ? 0 : kFlagUtf8Name;
    const std::uint16_t methodCode = method == Method::kDeflate ? 8 : 0;
    const bool isFolder = name.back() == '/';

    // Fields the local header and the central directory record share, from
    // "version needed" to the extra field length.
    auto putCommon = [&](std::vector<std::uint8_t>& out) {
        Put16(out, kVersion);
        Put16(out, flags);
        Put16(out, methodCode);
        Put16(out, kDosTimeMidnight);
        Put16(out, kDosDate1980);
        Put32(out, crc);
        Put32(out, static_cast<std::uint32_t>(dataLength));
        Put32(out, static_cast<std::uint32_t>(length));
        Put16(out, static_cast<std::uint32_t>(name.size()));
        Put16(out, 0);  // extra field length
    };

    Put32(m_body, 0x04034b50);
    putCommon(m_body);
    PutBytes(m_body, name);
    if (dataLength != 0) m_body.insert(m_body.end(), data, data + dataLength);

    Put32(m_directory, 0x02014b50);
    Put16(m_directory, kVersion);  // made by
    putCommon(m_directory);
    Put16(m_directory, 0);  // comment length
    Put16(m_directory, 0);  // disk number
    Put16(m_directory, 0);  // internal attributes
    Put32(m_directory, isFolder ? kDosDirectory : 0);
    Put32(m_directory, static_cast<std::uint32_t>(offset));
    PutBytes(m_directory, name);

    ++m_entryCount;
    return true;
}

std::vector<std::uint8_t> ZipWriter::Finish() const {
    std::vector<std::uint8_t> archive;
    archive.reserve(m_body.size() + m_directory.size() + 22 + m_comment.size());
    archive.insert(archive.end(), m_body.begin(), m_body.end());
    archive.insert(archive.end(), m_directory.begin(), m_directory.end());
    Put32(archive, 0x06054b50);
    Put16(archive, 0);  // this disk
    Put16(archive, 0);  // disk of the central directory
    Put16(archive, static_cast<std::uint32_t>(m_entryCount));
    Put16(archive, static_cast<std::uint32_t>(m_entryCount));
    Put32(archive, static_cast<std::uint32_t>(m_directory.size()));
    Put32(archive, static_cast<std::uint32_t>(m_body.size()));
    Put16(archive, static_cast<std::uint32_t>(m_comment.size()));
    PutBytes(archive, m_comment);
    return archive;
}
