#include "services/IJSONStruct.h"

#include <utility>

void IJSONStruct::SetKeyFilter(JsonFilterMode mode, std::unordered_set<std::string> keys) {
    m_filterMode = mode;
    m_keys = std::move(keys);
}

bool IJSONStruct::IsKeyWritten(const std::string& key) const {
    const bool listed = m_keys.count(key) != 0;
    return m_filterMode == kJsonFilter_Include ? listed : !listed;
}

void IJSONStruct::AddStringMember(rapidjson::Value& object, const std::string& key, const std::string& text) {
    if (!IsKeyWritten(key)) return;
    rapidjson::Value name(key.data(), static_cast<rapidjson::SizeType>(key.size()), m_allocator);
    rapidjson::Value value(text.data(), static_cast<rapidjson::SizeType>(text.size()), m_allocator);
    object.AddMember(name, value, m_allocator);
}
