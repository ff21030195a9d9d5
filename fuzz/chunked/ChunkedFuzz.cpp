// Decodes the input as a chunked body twice: whole into a large buffer, and
// in pieces at split points and into output sizes taken from the input. Both
// must yield the same bytes, the same end and the same error.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "download_engine/chunk_decoder.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

struct Decoding {
    std::string body;
    bool error = false;
    bool done = false;
    std::size_t consumed = 0;
};

// `pieces` gives, byte by byte, the next input piece size and output size;
// empty means all at once.
Decoding Decode(const std::string& input, const std::string& pieces) {
    dlengine::chunk_decoder decoder;
    Decoding decoding;
    std::string output;
    std::size_t at = 0;
    std::size_t step = 0;
    while (!decoding.error && !decoder.done()) {
        std::size_t in = input.size() - at;
        std::size_t out = 1 << 16;
        if (!pieces.empty()) {
            const auto control = static_cast<unsigned char>(pieces[step++ % pieces.size()]);
            in = std::min<std::size_t>(in, control & 0x0f);
            out = 1 + (control >> 4);
        }
        output.resize(out);
        boost::system::error_code ec;
        const auto result = decoder.decode(input.data() + at, in, output.data(), out, ec);
        Check(result.consumed <= in && result.produced <= out);
        decoding.body.append(output.data(), result.produced);
        at += result.consumed;
        decoding.error = static_cast<bool>(ec);
        // All input taken and the output not filled: the decoder waits for
        // bytes that will not come.
        if (at == input.size() && result.produced < out && !ec) break;
    }
    decoding.done = decoder.done();
    decoding.consumed = at;
    return decoding;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t pieces_size = std::min<std::size_t>(data[0], size - 1);
    std::string pieces(reinterpret_cast<const char*>(data) + 1, pieces_size);
    const std::string input(reinterpret_cast<const char*>(data) + 1 + pieces_size, size - 1 - pieces_size);
    if (pieces.empty()) pieces.assign(1, '\x11');
    // A zero-length input piece only makes progress when output is pending;
    // keep every fourth piece non-empty so the loop always advances.
    for (std::size_t i = 0; i < pieces.size(); i += 4) {
        if ((pieces[i] & 0x0f) == 0) pieces[i] |= 1;
    }

    const Decoding whole = Decode(input, "");
    const Decoding split = Decode(input, pieces);
    Check(whole.body == split.body);
    Check(whole.error == split.error);
    Check(whole.done == split.done);
    if (whole.done) Check(whole.consumed == split.consumed);
    return 0;
}
