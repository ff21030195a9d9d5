// Parses the input as a response head, whole and again in pieces whose sizes
// come from the input, and checks that both readings agree. Location and
// Set-Cookie values then go through the URL parser and the cookie jar.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "download_engine/cookie_jar.h"
#include "download_engine/response_head_parser.h"
#include "download_engine/url.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

struct Reading {
    boost::system::error_code error;
    bool done = false;
    std::size_t consumed = 0;
    int status = 0;
    dlengine::request_opts::list_type headers;
};

// Feeds `input` in pieces of 1 + (step byte % 16) bytes; a step of 0 feeds it
// whole.
Reading Read(const std::string& input, bool post, const std::string& steps) {
    dlengine::response_head_parser parser(post);
    Reading reading;
    std::size_t at = 0;
    std::size_t step = 0;
    while (at < input.size() && !parser.done() && !reading.error) {
        std::size_t piece = input.size() - at;
        if (!steps.empty()) piece = std::min<std::size_t>(piece, 1 + static_cast<unsigned char>(steps[step++ % steps.size()]) % 16);
        const std::size_t used = parser.feed(input.data() + at, piece, reading.error);
        Check(used <= piece);
        if (!reading.error && !parser.done()) Check(used == piece);
        at += used;
    }
    reading.done = parser.done();
    reading.consumed = at;
    reading.status = parser.status();
    reading.headers = parser.headers().items();
    if (reading.done) {
        // After the end of the head nothing more is taken.
        boost::system::error_code ignored;
        Check(parser.feed("x", 1, ignored) == 0);
    }
    return reading;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const bool post = (data[0] & 1) != 0;
    const std::size_t steps_size = std::min<std::size_t>(data[0] >> 1, size - 1);
    const std::string steps(reinterpret_cast<const char*>(data) + 1, steps_size);
    const std::string input(reinterpret_cast<const char*>(data) + 1 + steps_size, size - 1 - steps_size);

    const Reading whole = Read(input, post, "");
    const Reading pieces = Read(input, post, steps.empty() ? std::string(1, '\0') : steps);
    Check(whole.error == pieces.error && whole.done == pieces.done && whole.status == pieces.status &&
          whole.headers == pieces.headers);
    if (whole.done) Check(whole.consumed == pieces.consumed);
    if (whole.done && !whole.error) Check(whole.status >= 100 && whole.status <= 999);

    const dlengine::url origin = [] {
        boost::system::error_code ec;
        return dlengine::url::from_string("http://fuzz.example/dir/file", ec);
    }();
    dlengine::cookie_jar jar;
    for (const auto& [name, value] : whole.headers) {
        Check(!name.empty());
        boost::system::error_code ec;
        const dlengine::url location = dlengine::url::from_string(value, ec);
        if (!ec) {
            // The full text of a parsed URL parses again to the same text.
            const std::string text = location.to_string();
            const dlengine::url again = dlengine::url::from_string(text, ec);
            Check(!ec && again.to_string() == text);
        }
        jar.add(value, origin);
    }
    jar.cookie_line(origin);
    return 0;
}
