#pragma once
// The carousel API's answer: {"code": 1, "message": "...", "data": {"list":
// [{"url": "...", "md5": "..."}, ...]}}; other members are ignored.

#include <cstdint>
#include <string>
#include <vector>

#include "services/ImageInfo.h"

struct CarouselResult {
    std::int32_t code = -1;  // 1 is success
    std::string message;
};

// False when the body is not one JSON document, leaving both untouched.
// Otherwise true, with each member taken only when it has the expected type
// (`code` an integer within 32 bits): `code` and `message` set, and one record
// appended to `list` per element of data.list.
bool ParseCarouselResponse(CarouselResult& result, std::vector<ImageInfo>& list, const std::string& body);
