#include "services/GetGuid.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "platform/Guid.h"
#include "platform/Registry.h"
#include "services/WideToUtf8.h"
#include "shell/StringUtil.h"

namespace {

constexpr wchar_t kKeyPath[] = L"SOFTWARE\\WOW6432Node\\Zelmora\\ZelmoraDown";
constexpr wchar_t kValueName[] = L"GUID";
// The read buffer holds the text and its terminator, so the longest stored
// identity that is accepted has 1023 characters.
constexpr std::size_t kReadBufferBytes = 2048;
constexpr std::size_t kLongestText = kReadBufferBytes / 2 - 1;

bool IsWellFormed(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
    });
}

// The stored identity, or empty when it is missing, too long or malformed.
std::wstring ReadStoredGuid(const platform::RegistryKey& key) {
    char buffer[kReadBufferBytes] = {};
    std::size_t size = sizeof buffer;
    platform::RegistryValueType type = platform::kRegNone;
    if (key.QueryValue(kValueName, type, buffer, size) != platform::kRegistrySuccess) return {};
    const std::wstring text = platform::RegistryStringFromData(buffer, size);
    if (text.size() > kLongestText || !IsWellFormed(WideToUtf8(text))) return {};
    return text;
}

std::wstring NewGuidText() {
    const std::optional<platform::Guid> guid = platform::CreateGuid();
    if (!guid) return {};
    char text[64];
    std::snprintf(text, sizeof text, "%08X-%04X-%04x-%02X%02X-%02X%02X%02X%02X%02X%02X", guid->data1, guid->data2,
                  guid->data3, guid->data4[0], guid->data4[1], guid->data4[2], guid->data4[3], guid->data4[4],
                  guid->data4[5], guid->data4[6], guid->data4[7]);
    return AnsiToWide(text);
}

}  // namespace

std::wstring GetGuid() {
    std::unique_ptr<platform::RegistryKey> key;
    platform::RegistryDisposition disposition{};
    if (platform::RegistryKey::Create(kKeyPath, platform::RegistryAccess::kWrite, platform::RegistryView::kDefault, key,
                                      disposition) != platform::kRegistrySuccess) {
        return {};
    }
    if (disposition == platform::RegistryDisposition::kOpenedExistingKey) {
        // The key opened for writing cannot read; the reading handle must be
        // granted too, or the store is as good as unopenable.
        std::unique_ptr<platform::RegistryKey> reader;
        if (platform::RegistryKey::Open(kKeyPath, platform::RegistryAccess::kAllAccess, platform::RegistryView::k64Bit,
                                        reader) != platform::kRegistrySuccess) {
            return {};
        }
        const std::wstring stored = ReadStoredGuid(*reader);
        if (!stored.empty()) return stored;
    }
    // Without random bytes no identity is stored: a fixed one would merge
    // every such machine into one client for good.
    const std::wstring guid = NewGuidText();
    if (guid.empty()) return {};
    const std::string data = platform::RegistryStringData(guid);
    key->SetValue(kValueName, platform::kRegSz, data.data(), data.size());
    return guid;
}
