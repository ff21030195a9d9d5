#include "download_engine/resume_file.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <istream>
#include <limits>

#include "download_engine/entry.h"
#include "download_engine/url.h"
#include "download_engine/utf8.h"

namespace dlengine {

namespace {

// A resume file holds a bitfield of ceil(piece_num / 8) bytes and little else;
// 16 MiB covers 2^27 pieces, far beyond any real download. Anything larger is
// not read into memory.
constexpr std::uintmax_t max_resume_file_size = 16u << 20;

// One flat dictionary of five members; the slack admits members a later
// version may add without letting a hostile file cost much.
constexpr bdecode_limits resume_decode_limits{8, 1024};

constexpr std::int64_t max_piece_size = std::numeric_limits<std::int32_t>::max();

std::filesystem::path to_fs_path(const std::wstring& path) {
    return std::filesystem::u8path(wide_to_utf8(path));
}

// The stored URL goes through the URL model and back, so the driver compares
// the same text a fresh download would record. Text that does not parse
// comes back empty and so matches no download.
std::string full_url_text(const std::string& stored) {
    boost::system::error_code ignored;
    return url::from_string(stored, ignored).to_string(url::all_components);
}

bool read_whole(std::istream& in, std::uintmax_t size, std::string& bytes, boost::system::error_code& ec) {
    if (size > max_resume_file_size) {
        ec = make_error_code(boost::system::errc::file_too_large);
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<std::uintmax_t>(in.gcount()) != size) {
        ec = make_error_code(boost::system::errc::io_error);
        return false;
    }
    return true;
}

bool fits_together(const resume_state& state) {
    return state.file_size >= 0 && state.piece_size > 0 && state.piece_size <= max_piece_size &&
           state.piece_num == piece_count(state.file_size, state.piece_size) &&
           static_cast<std::uint64_t>(state.bitfield.size()) == static_cast<std::uint64_t>(state.piece_num + 7) / 8;
}

bool bit_is_set(std::string_view bitfield, std::int64_t piece) {
    return (static_cast<unsigned char>(bitfield[static_cast<std::size_t>(piece / 8)]) & (0x80u >> (piece % 8))) != 0;
}

// The end of piece `piece` < piece_count(file_size, piece_size). Its start is
// below file_size, so neither sum can overflow.
std::int64_t piece_end(std::int64_t piece, std::int64_t file_size, std::int64_t piece_size) {
    const std::int64_t start = piece * piece_size;
    return start + std::min(piece_size, file_size - start);
}

}  // namespace

std::int64_t piece_count(std::int64_t file_size, std::int64_t piece_size) {
    if (file_size <= 0 || piece_size <= 0) return 0;
    return file_size / piece_size + (file_size % piece_size != 0 ? 1 : 0);
}

std::string ranges_to_bitfield(const byte_ranges& ranges, std::int64_t file_size, std::int64_t piece_size) {
    const std::int64_t pieces = piece_count(file_size, piece_size);
    std::string bitfield(static_cast<std::size_t>((pieces + 7) / 8), '\0');
    if (pieces == 0) return bitfield;

    // Sets the pieces lying wholly inside [begin, end), 0 <= begin < end <= file_size.
    auto mark = [&](std::int64_t begin, std::int64_t end) {
        const std::int64_t first = begin / piece_size + (begin % piece_size != 0 ? 1 : 0);
        const std::int64_t stop = end == file_size ? pieces : end / piece_size;
        for (std::int64_t piece = first; piece < stop; ++piece) {
            bitfield[static_cast<std::size_t>(piece / 8)] |= static_cast<char>(0x80u >> (piece % 8));
        }
    };

    // A run grows only by ranges that start inside or right after it, so
    // every byte it spans is covered whatever order the ranges come in.
    bool in_run = false;
    std::int64_t run_begin = 0;
    std::int64_t run_end = 0;
    for (const auto& [first, second] : ranges) {
        const std::int64_t begin = std::max<std::int64_t>(first, 0);
        const std::int64_t end = std::min(second, file_size);
        if (begin >= end) continue;
        if (in_run && begin <= run_end) {
            run_end = std::max(run_end, end);
            continue;
        }
        if (in_run) mark(run_begin, run_end);
        in_run = true;
        run_begin = begin;
        run_end = end;
    }
    if (in_run) mark(run_begin, run_end);
    return bitfield;
}

byte_ranges bitfield_to_ranges(std::string_view bitfield, std::int64_t file_size, std::int64_t piece_size) {
    const std::int64_t pieces =
        std::min(piece_count(file_size, piece_size), static_cast<std::int64_t>(bitfield.size()) * 8);
    byte_ranges ranges;
    for (std::int64_t piece = 0; piece < pieces;) {
        if (!bit_is_set(bitfield, piece)) {
            ++piece;
            continue;
        }
        const std::int64_t first = piece;
        while (piece < pieces && bit_is_set(bitfield, piece)) ++piece;
        ranges.emplace_back(first * piece_size, piece_end(piece - 1, file_size, piece_size));
    }
    return ranges;
}

resume_state make_resume_state(std::string final_url, std::int64_t file_size, std::int64_t piece_size,
                               const byte_ranges& downloaded) {
    resume_state state;
    state.final_url = std::move(final_url);
    state.file_size = file_size;
    state.piece_size = piece_size;
    state.piece_num = piece_count(file_size, piece_size);
    state.bitfield = ranges_to_bitfield(downloaded, file_size, piece_size);
    return state;
}

std::string encode_resume_state(const resume_state& state) {
    entry::dictionary_type members;
    members.emplace("bitfield", state.bitfield);
    members.emplace("file_size", state.file_size);
    members.emplace("final_url", state.final_url);
    members.emplace("piece_num", state.piece_num);
    members.emplace("piece_size", state.piece_size);
    return bencode(entry(std::move(members)));
}

resume_load_result decode_resume_state(std::string_view bytes) {
    resume_load_result result;
    result.outcome = resume_outcome::load_failed;
    boost::system::error_code ec;
    const entry root = bdecode(bytes, ec, resume_decode_limits);
    if (ec) {
        result.error = ec;
        return result;
    }
    resume_state state;
    state.bitfield = root.string_at("bitfield", ec);
    state.file_size = root.integer_at("file_size", ec);
    state.final_url = root.string_at("final_url", ec);
    state.piece_num = root.integer_at("piece_num", ec);
    state.piece_size = root.integer_at("piece_size", ec);
    if (ec) {
        result.error = ec;
        return result;
    }
    if (!fits_together(state)) {
        result.error = make_error_code(boost::system::errc::bad_message);
        return result;
    }
    result.outcome = resume_outcome::loaded;
    result.state = std::move(state);
    return result;
}

bool resume_file::open_file() {
    const std::filesystem::path path = to_fs_path(path_);
    constexpr auto mode = std::ios::in | std::ios::out | std::ios::binary;
    file_.open(path, mode);
    if (!file_.is_open()) {
        // Read-write mode never creates a file; append mode creates one
        // without truncating a file another process made meanwhile.
        std::ofstream(path, std::ios::app | std::ios::binary);
        file_.open(path, mode);
    }
    return file_.is_open();
}

resume_load_result resume_file::open(const std::wstring& path) {
    close();
    path_ = path;
    resume_load_result result;

    std::error_code size_error;
    std::uintmax_t size = std::filesystem::file_size(to_fs_path(path_), size_error);
    if (size_error) size = 0;

    // A file stream does not say why it failed to open; the errno of the
    // failed open does.
    errno = 0;
    if (!open_file()) {
        result.outcome = resume_outcome::load_failed;
        result.error = boost::system::error_code(errno != 0 ? errno : EIO, boost::system::generic_category());
        return result;
    }
    if (size == 0) return result;

    std::string bytes;
    const bool read = read_whole(file_, size, bytes, result.error);
    file_.clear();
    if (!read) {
        result.outcome = resume_outcome::load_failed;
        return result;
    }
    return decode_resume_state(bytes);
}

bool resume_file::update(const resume_state& state) {
    if (!file_.is_open() && (path_.empty() || !open_file())) return false;
    const std::string bytes = encode_resume_state(state);
    file_.clear();
    file_.seekp(0);
    file_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file_.flush();
    if (file_) return true;
    file_.clear();
    return false;
}

void resume_file::close() {
    if (file_.is_open()) file_.close();
    file_.clear();
}

void resume_file::discard() {
    close();
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(to_fs_path(path_), ignored);
}

bool ReadResumeInfo(const std::wstring& path, std::int64_t* fileSize, std::wstring* finalUrl) {
    const std::filesystem::path file_path = to_fs_path(path);
    std::error_code size_error;
    const std::uintmax_t size = std::filesystem::file_size(file_path, size_error);
    if (size_error) return false;
    std::ifstream in(file_path, std::ios::binary);
    if (!in.is_open()) return false;
    if (size == 0) return true;

    std::string bytes;
    boost::system::error_code read_error;
    if (!read_whole(in, size, bytes, read_error)) return false;
    const resume_load_result loaded = decode_resume_state(bytes);
    if (loaded.outcome != resume_outcome::loaded) return false;
    if (fileSize) *fileSize = loaded.state.file_size;
    if (finalUrl) *finalUrl = utf8_to_wide(full_url_text(loaded.state.final_url));
    return true;
}

}  // namespace dlengine
