#include "services/ImageConfigInfoJSONStruct.h"

#include "services/ImageInfoJSONStruct.h"

void ImageConfigInfoJSONStruct::FromJson(const rapidjson::Value& value) {
    if (!value.IsObject()) return;
    const auto list = value.FindMember("list");
    if (list == value.MemberEnd() || !list->value.IsArray()) return;
    for (const rapidjson::Value& element : list->value.GetArray()) {
        ImageInfo image;
        ImageInfoJSONStruct adapter(GetAllocator(), &image);
        adapter.FromJson(element);
        m_record->push_back(image);
    }
}
