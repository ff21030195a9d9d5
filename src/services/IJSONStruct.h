#pragma once
// The base of the adapters that copy a plain record into a JSON value or fill
// it from one. An adapter is a short-lived object on its user's stack; it
// builds its values in the allocator of the document it works with, which
// must outlive it.

#include <cstdint>
#include <string>
#include <unordered_set>

#include <rapidjson/document.h>

using JsonAllocator = rapidjson::MemoryPoolAllocator<>;

enum JsonFilterMode : std::int32_t {
    kJsonFilter_Exclude = 0,  // the key set lists keys to leave out
    kJsonFilter_Include = 1,  // the key set lists the only keys to write
};

class IJSONStruct {
public:
    virtual void FromJson(const rapidjson::Value& value) = 0;
    // A new value built from the bound record in the adapter's allocator.
    virtual rapidjson::Value ToJson() = 0;

    // The filter applies to writing only, to keys at every depth.
    void SetKeyFilter(JsonFilterMode mode, std::unordered_set<std::string> keys);
    bool IsKeyWritten(const std::string& key) const;

    // Appends key and text, both copied, unless the key is filtered out.
    // Nothing checks for a key the object already has.
    void AddStringMember(rapidjson::Value& object, const std::string& key, const std::string& text);

    JsonAllocator& GetAllocator() const { return m_allocator; }

protected:
    explicit IJSONStruct(JsonAllocator& allocator) : m_allocator(allocator) {}
    // Adapters are never owned through the base.
    ~IJSONStruct() = default;

private:
    JsonFilterMode m_filterMode = kJsonFilter_Exclude;
    std::unordered_set<std::string> m_keys;
    JsonAllocator& m_allocator;
};
