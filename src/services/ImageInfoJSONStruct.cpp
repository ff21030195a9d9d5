#include "services/ImageInfoJSONStruct.h"

namespace {

// Strings are taken up to their first NUL, as C strings.
void ReadString(const rapidjson::Value& object, const char* key, std::string& field) {
    const auto member = object.FindMember(key);
    if (member != object.MemberEnd() && member->value.IsString()) field = member->value.GetString();
}

}  // namespace

void ImageInfoJSONStruct::FromJson(const rapidjson::Value& value) {
    if (!value.IsObject()) return;
    ReadString(value, "url", m_record->url);
    ReadString(value, "md5", m_record->md5);
}
