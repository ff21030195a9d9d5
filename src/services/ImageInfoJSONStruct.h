#pragma once

#include "services/IJSONStruct.h"
#include "services/ImageInfo.h"

// Reads "url" and "md5" when they are strings; a value that is not an object
// leaves the record as it is. Writes an empty object.
class ImageInfoJSONStruct : public IJSONStruct {
public:
    // The record is not owned and must outlive the adapter.
    ImageInfoJSONStruct(JsonAllocator& allocator, ImageInfo* record) : IJSONStruct(allocator), m_record(record) {}

    void FromJson(const rapidjson::Value& value) override;
    rapidjson::Value ToJson() override { return rapidjson::Value(rapidjson::kObjectType); }

private:
    ImageInfo* m_record;
};
