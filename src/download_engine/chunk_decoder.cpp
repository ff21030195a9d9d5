#include "download_engine/chunk_decoder.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "download_engine/http_error.h"

namespace dlengine {

namespace {

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

void chunk_decoder::reset() {
    state_ = state::size_line;
    remaining_ = 0;
    data_end_seen_ = 0;
    line_.clear();
}

// Collects bytes of a CRLF-terminated line across calls; `complete` tells
// whether the CRLF has been reached (it is not kept in line_).
bool chunk_decoder::take_line(const char*& input, const char* end, bool& complete) {
    complete = false;
    while (input != end) {
        const char c = *input++;
        if (c == '\n' && !line_.empty() && line_.back() == '\r') {
            line_.pop_back();
            complete = true;
            return true;
        }
        line_ += c;
        if (line_.size() > max_line_length) return false;
    }
    return true;
}

// The leading hexadecimal number of the size line; what follows it (chunk
// extensions) is ignored. Sizes beyond the signed 64-bit range are refused,
// since every byte count of the engine is signed 64-bit.
bool chunk_decoder::parse_size_line() {
    std::size_t at = 0;
    std::uint64_t size = 0;
    constexpr auto largest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    while (at < line_.size() && hex_value(line_[at]) >= 0) {
        const auto digit = static_cast<std::uint64_t>(hex_value(line_[at]));
        if (size > (largest - digit) / 16) return false;
        size = size * 16 + digit;
        ++at;
    }
    if (at == 0) return false;
    remaining_ = size;
    return true;
}

chunk_decoder::result chunk_decoder::decode(const char* input, std::size_t input_size, char* output,
                                            std::size_t output_size, boost::system::error_code& ec) {
    ec.clear();
    const char* const begin = input;
    const char* const end = input + input_size;
    result done_so_far;
    const auto broken = [&]() {
        state_ = state::broken;
        ec = http_error::invalid_chunked_encoding;
        done_so_far.consumed = static_cast<std::size_t>(input - begin);
        return done_so_far;
    };

    while (state_ != state::done) {
        if (state_ == state::broken) return broken();
        if (input == end) break;
        switch (state_) {
        case state::size_line: {
            bool complete = false;
            if (!take_line(input, end, complete)) return broken();
            if (!complete) break;
            if (!parse_size_line()) return broken();
            line_.clear();
            state_ = remaining_ == 0 ? state::trailer : state::data;
            break;
        }
        case state::data: {
            if (done_so_far.produced == output_size) {
                done_so_far.consumed = static_cast<std::size_t>(input - begin);
                return done_so_far;
            }
            const std::size_t count = static_cast<std::size_t>(
                std::min<std::uint64_t>({remaining_, static_cast<std::uint64_t>(end - input),
                                         static_cast<std::uint64_t>(output_size - done_so_far.produced)}));
            std::memcpy(output + done_so_far.produced, input, count);
            input += count;
            done_so_far.produced += count;
            remaining_ -= count;
            if (remaining_ == 0) {
                state_ = state::data_end;
                data_end_seen_ = 0;
            }
            break;
        }
        case state::data_end: {
            const char expected = data_end_seen_ == 0 ? '\r' : '\n';
            if (*input++ != expected) return broken();
            if (++data_end_seen_ == 2) state_ = state::size_line;
            break;
        }
        case state::trailer: {
            bool complete = false;
            if (!take_line(input, end, complete)) return broken();
            if (!complete) break;
            if (line_.empty()) state_ = state::done;
            line_.clear();
            break;
        }
        case state::done:
        case state::broken:
            break;
        }
    }
    done_so_far.consumed = static_cast<std::size_t>(input - begin);
    return done_so_far;
}

}  // namespace dlengine
