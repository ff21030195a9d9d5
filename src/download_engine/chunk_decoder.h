#pragma once
// Undoes chunked transfer coding incrementally, whatever the split of the
// input: size line, data, CRLF, ..., the zero-size chunk, then the trailer
// section up to its empty line.

#include <cstddef>
#include <cstdint>
#include <string>

#include <boost/system/error_code.hpp>

namespace dlengine {

class chunk_decoder {
public:
    struct result {
        std::size_t consumed = 0;  // input bytes used
        std::size_t produced = 0;  // body bytes written to the output
    };

    // Longest size line or trailer line accepted; chunk extensions beyond
    // it are treated as a broken encoding rather than buffered without end.
    static constexpr std::size_t max_line_length = 4096;

    // Decodes from `input` into `output` until the output is full, the input
    // is used up, the body has ended (done()) or the coding is broken
    // (invalid_chunked_encoding in `ec`; the decoder then stays broken).
    result decode(const char* input, std::size_t input_size, char* output, std::size_t output_size,
                  boost::system::error_code& ec);

    // The zero-size chunk has been read; only the trailer section may follow.
    bool last_chunk_seen() const { return state_ == state::trailer || state_ == state::done; }
    // The whole body, trailer section included, has been read.
    bool done() const { return state_ == state::done; }
    // Bytes left in the current chunk.
    std::uint64_t chunk_remaining() const { return remaining_; }

    void reset();

private:
    enum class state { size_line, data, data_end, trailer, done, broken };

    bool take_line(const char*& input, const char* end, bool& complete);
    bool parse_size_line();

    state state_ = state::size_line;
    std::uint64_t remaining_ = 0;
    int data_end_seen_ = 0;  // bytes of the CRLF after chunk data already read
    std::string line_;
};

}  // namespace dlengine
