#pragma once

#include <vector>

#include "services/IJSONStruct.h"
#include "services/ImageInfo.h"

// Appends one record per element of the array "list", in order; without such
// an array the sequence stays as it is. Writes an empty object.
class ImageConfigInfoJSONStruct : public IJSONStruct {
public:
    // The sequence is not owned and must outlive the adapter.
    ImageConfigInfoJSONStruct(JsonAllocator& allocator, std::vector<ImageInfo>* record)
        : IJSONStruct(allocator), m_record(record) {}

    void FromJson(const rapidjson::Value& value) override;
    rapidjson::Value ToJson() override { return rapidjson::Value(rapidjson::kObjectType); }

private:
    std::vector<ImageInfo>* m_record;
};
