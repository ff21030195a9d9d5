// Parses the input as a carousel answer and checks what the parser promises
// on any input: it accepts exactly the single JSON documents the library's
// default parser accepts (without a raw NUL); a rejected body leaves result
// and list as they were; an accepted one only appends to the list, and the
// same body parsed again gives the same records.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <rapidjson/document.h>

#include "services/CarouselResponse.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool Same(const std::vector<ImageInfo>& a, const std::vector<ImageInfo>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].url != b[i].url || a[i].md5 != b[i].md5) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string body(reinterpret_cast<const char*>(data), data != nullptr ? size : 0);

    CarouselResult result;
    result.code = 7;
    result.message = "before";
    std::vector<ImageInfo> list{{"url", "md5"}};
    const bool parsed = ParseCarouselResponse(result, list, body);

    // Inputs are short enough for the recursive parser's stack.
    rapidjson::Document reference;
    reference.Parse(body.data(), body.size());
    Check(parsed == (!reference.HasParseError() && body.find('\0') == std::string::npos));

    Check(!list.empty() && list[0].url == "url" && list[0].md5 == "md5");
    if (!parsed) {
        Check(result.code == 7 && result.message == "before" && list.size() == 1);
        return 0;
    }
    // Every record stands for an element of at least two bytes ("{}" or "1,").
    Check(list.size() - 1 <= size / 2);

    CarouselResult again;
    again.code = 7;
    again.message = "before";
    std::vector<ImageInfo> second{{"url", "md5"}};
    Check(ParseCarouselResponse(again, second, body));
    Check(Same(list, second) && again.code == result.code && again.message == result.message);
    return 0;
}
