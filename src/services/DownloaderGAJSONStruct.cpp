#include "services/DownloaderGAJSONStruct.h"

rapidjson::Value CDownloaderGAJSONStruct::ToJson() {
    JsonAllocator& allocator = GetAllocator();
    rapidjson::Value root(rapidjson::kObjectType);
    AddStringMember(root, "client_id", m_record->client_id);
    if (IsKeyWritten("user_properties")) {
        rapidjson::Value properties(rapidjson::kObjectType);
        if (IsKeyWritten("uid")) {
            rapidjson::Value uid(rapidjson::kObjectType);
            AddStringMember(uid, "value", m_record->uid);
            properties.AddMember("uid", uid, allocator);
        }
        root.AddMember("user_properties", properties, allocator);
    }
    if (IsKeyWritten("events")) {
        rapidjson::Value events(rapidjson::kArrayType);
        for (const DownloaderGAEvent& event : m_record->events) events.PushBack(MakeEvent(event), allocator);
        root.AddMember("events", events, allocator);
    }
    return root;
}

rapidjson::Value CDownloaderGAJSONStruct::MakeEvent(const DownloaderGAEvent& event) {
    rapidjson::Value object(rapidjson::kObjectType);
    AddStringMember(object, "name", event.name);
    if (IsKeyWritten("params")) {
        rapidjson::Value params(rapidjson::kObjectType);
        AddStringMember(params, "event_category", event.event_category);
        AddStringMember(params, "event_label", event.event_label);
        object.AddMember("params", params, GetAllocator());
    }
    return object;
}
