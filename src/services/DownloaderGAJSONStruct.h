#pragma once

#include "services/DownloaderGAInfo.h"
#include "services/IJSONStruct.h"

// Writes the analytics document, members in this order:
//   {"client_id", "user_properties": {"uid": {"value"}},
//    "events": [{"name", "params": {"event_category", "event_label"}}]}
// A filtered-out key drops its member with everything inside it. Reads nothing.
class CDownloaderGAJSONStruct : public IJSONStruct {
public:
    // The record is not owned and must outlive the adapter.
    CDownloaderGAJSONStruct(JsonAllocator& allocator, const DownloaderGAInfo* record)
        : IJSONStruct(allocator), m_record(record) {}

    void FromJson(const rapidjson::Value&) override {}
    rapidjson::Value ToJson() override;

private:
    rapidjson::Value MakeEvent(const DownloaderGAEvent& event);

    const DownloaderGAInfo* m_record;
};
