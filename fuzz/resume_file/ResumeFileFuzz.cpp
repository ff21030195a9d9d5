// Any bytes as a resume file. What decodes re-encodes to exactly the bytes it
// was read from; a file that loads gives sorted ranges inside the file, and
// those ranges give back its bitfield (spare bits cleared).
#include "download_engine/entry.h"
#include "download_engine/resume_file.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

void CheckEntry(std::string_view bytes) {
    boost::system::error_code ec;
    std::size_t end = 0;
    const dlengine::entry value = dlengine::bdecode(bytes, end, ec);
    if (end > bytes.size()) __builtin_trap();
    if (ec) return;
    const std::string encoded = dlengine::bencode(value);
    if (encoded != bytes.substr(0, end)) __builtin_trap();
    if (dlengine::bdecode(encoded, ec) != value || ec) __builtin_trap();
}

void CheckResumeState(std::string_view bytes) {
    const dlengine::resume_load_result loaded = dlengine::decode_resume_state(bytes);
    if (loaded.outcome != dlengine::resume_outcome::loaded) {
        if (!loaded.error) __builtin_trap();
        return;
    }
    const dlengine::resume_state& state = loaded.state;
    const dlengine::byte_ranges ranges = dlengine::bitfield_to_ranges(state.bitfield, state.file_size, state.piece_size);
    std::int64_t previous_end = -1;
    for (const auto& [begin, end] : ranges) {
        if (begin <= previous_end || begin >= end || end > state.file_size) __builtin_trap();
        previous_end = end;
    }
    std::string bits = state.bitfield;
    if (state.piece_num % 8 != 0) bits.back() &= static_cast<char>((0xFFu << (8 - state.piece_num % 8)) & 0xFFu);
    if (dlengine::ranges_to_bitfield(ranges, state.file_size, state.piece_size) != bits) __builtin_trap();
    if (!(dlengine::decode_resume_state(dlengine::encode_resume_state(state)).state == state)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckEntry(bytes);
    CheckResumeState(bytes);
    return 0;
}
