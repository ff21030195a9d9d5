#include "services/CarouselResponse.h"

#include <rapidjson/document.h>

#include "services/ImageConfigInfoJSONStruct.h"

bool ParseCarouselResponse(CarouselResult& result, std::vector<ImageInfo>& list, const std::string& body) {
    // No JSON text holds a raw NUL, and the parser would take one for the
    // end of the input and accept whatever follows it.
    if (body.find('\0') != std::string::npos) return false;
    rapidjson::Document document;
    // The iterative parser accepts exactly what the recursive one does, but
    // a deeply nested answer cannot exhaust the thread's stack.
    document.Parse<rapidjson::kParseIterativeFlag>(body.data(), body.size());
    if (document.HasParseError()) return false;
    if (!document.IsObject()) return true;
    const auto code = document.FindMember("code");
    if (code != document.MemberEnd() && code->value.IsInt()) result.code = code->value.GetInt();
    const auto message = document.FindMember("message");
    if (message != document.MemberEnd() && message->value.IsString()) result.message = message->value.GetString();
    const auto data = document.FindMember("data");
    if (data != document.MemberEnd() && data->value.IsObject()) {
        ImageConfigInfoJSONStruct adapter(document.GetAllocator(), &list);
        adapter.FromJson(data->value);
    }
    return true;
}
