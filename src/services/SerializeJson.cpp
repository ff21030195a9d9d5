#include "services/SerializeJson.h"

#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include "services/IJSONStruct.h"

std::string SerializeJson(IJSONStruct& adapter, rapidjson::Document& document) {
    const rapidjson::Value value = adapter.ToJson();
    document.CopyFrom(value, document.GetAllocator());
    rapidjson::StringBuffer buffer;
    rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
    document.Accept(writer);
    return std::string(buffer.GetString(), buffer.GetSize());
}
