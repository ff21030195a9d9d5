#pragma once
// The resume file P + ".cfg" of a multi-connection download: one bencoded
// dictionary recording which pieces of P + ".tmp" are complete.
//
//   "bitfield"    string   ceil(piece_num / 8) bytes, piece i in byte i / 8
//                          under the mask 0x80 >> (i % 8)
//   "file_size"   integer  size of the download in bytes
//   "final_url"   string   the full URL text the range requests use
//   "piece_num"   integer  ceil(file_size / piece_size)
//   "piece_size"  integer  bytes per piece; the last piece may be shorter
//
//   piece i = [i * piece_size, min((i + 1) * piece_size, file_size))
//
// Offsets are 64-bit throughout, so downloads of 2 GiB and more resume too.

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <boost/system/error_code.hpp>

namespace dlengine {

// Byte ranges [first, second) of the download, sorted and not overlapping.
using byte_range = std::pair<std::int64_t, std::int64_t>;
using byte_ranges = std::vector<byte_range>;

// The number of pieces of `piece_size` bytes that hold `file_size` bytes;
// 0 when either is not positive.
std::int64_t piece_count(std::int64_t file_size, std::int64_t piece_size);

// One bit per piece, set only when the ranges cover the whole piece: a partly
// written piece counts as missing. Touching ranges are joined first; bytes
// outside [0, file_size) are not counted. `piece_size` must be positive.
std::string ranges_to_bitfield(const byte_ranges& ranges, std::int64_t file_size, std::int64_t piece_size);

// Each run of set bits becomes one range from the start of its first piece to
// the end of its last, the last piece ending at file_size. Bits beyond the
// piece count are ignored, and so are pieces the bitfield has no byte for.
byte_ranges bitfield_to_ranges(std::string_view bitfield, std::int64_t file_size, std::int64_t piece_size);

// What the resume file records about one download.
struct resume_state {
    std::string final_url;  // full URL text
    std::int64_t file_size = 0;
    std::int64_t piece_size = 0;
    std::int64_t piece_num = 0;
    std::string bitfield;

    friend bool operator==(const resume_state& a, const resume_state& b) {
        return a.final_url == b.final_url && a.file_size == b.file_size && a.piece_size == b.piece_size &&
               a.piece_num == b.piece_num && a.bitfield == b.bitfield;
    }
};

// The state of a download whose `downloaded` ranges are written.
resume_state make_resume_state(std::string final_url, std::int64_t file_size, std::int64_t piece_size,
                               const byte_ranges& downloaded);

// The bytes of the resume file. The length depends only on the URL and the
// sizes, so rewriting it during one download never leaves stale bytes.
std::string encode_resume_state(const resume_state& state);

enum class resume_outcome {
    fresh_start,  // the file was empty or missing: nothing to resume
    loaded,       // `state` holds the recorded progress
    load_failed,  // unreadable, undecodable or inconsistent: delete it and start over
};

struct resume_load_result {
    resume_outcome outcome = resume_outcome::fresh_start;
    resume_state state;
    // Why loading failed: a file error, a bdecode error, the "HTTP" error
    // invalid_entry_type for a key of the wrong type, or the generic
    // bad_message for values that do not fit together.
    boost::system::error_code error;
};

// Decodes and checks the bytes of a resume file; trailing bytes after the
// dictionary are ignored. The values must fit together: file_size >= 0,
// 0 < piece_size <= 2^31 - 1 (the downloader's piece size is 32-bit),
// piece_num == piece_count(file_size, piece_size) and a bitfield of exactly
// ceil(piece_num / 8) bytes. A missing key reads as 0 or "" and so fails these
// checks unless the value may be empty. Never gives fresh_start.
resume_load_result decode_resume_state(std::string_view bytes);

// The open resume file of one download. Used from the downloader's event-loop
// thread only; not thread-safe.
class resume_file {
public:
    resume_file() = default;
    resume_file(const resume_file&) = delete;
    resume_file& operator=(const resume_file&) = delete;

    // Closes any open file, then opens `path` for reading and writing
    // (creating it when missing) and loads it. The path is kept for update().
    resume_load_result open(const std::wstring& path);

    // Writes the encoding of `state` at offset 0 without truncating the file,
    // first opening the path of the last open() when no file is open. A
    // failure changes nothing else; the caller simply tries again next time.
    bool update(const resume_state& state);

    void close();

    // Closes the file and deletes it (errors ignored), for a file that failed
    // to load. A later update() creates it afresh.
    void discard();

    bool is_open() const { return file_.is_open(); }

private:
    bool open_file();

    std::wstring path_;
    std::fstream file_;
};

// Reads the recorded size and final URL of the resume file at `path`, the URL
// written back as the URL model's full text. A missing or unreadable file, or
// one that does not load, gives false. An empty file gives true and leaves both
// outputs as they were.
bool ReadResumeInfo(const std::wstring& path, std::int64_t* fileSize, std::wstring* finalUrl);

}  // namespace dlengine
