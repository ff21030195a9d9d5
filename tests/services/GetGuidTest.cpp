#include "services/GetGuid.h"

#include "platform/Registry.h"
#include "platform/RunAsNobody.h"
#include "platform/ScopedEnvironment.h"
#include "platform/TextConversion.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using platform::RegistryAccess;
using platform::RegistryKey;
using platform::RegistryView;

constexpr wchar_t kKey[] = L"SOFTWARE\\WOW6432Node\\Zelmora\\ZelmoraDown";

bool IsNewIdentity(const std::wstring& guid) {
    static const std::wregex kForm(L"[0-9A-F]{8}-[0-9A-F]{4}-4[0-9a-f]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    return std::regex_match(guid, kForm);
}

class GetGuidTest : public testing::Test {
protected:
    GetGuidTest() { environment_.Set("ZD_REGISTRY_DIR", store_); }

    void Store(const std::string& data) {
        std::unique_ptr<RegistryKey> key;
        platform::RegistryDisposition disposition{};
        ASSERT_EQ(RegistryKey::Create(kKey, RegistryAccess::kWrite, RegistryView::kDefault, key, disposition),
                  platform::kRegistrySuccess);
        ASSERT_EQ(key->SetValue(L"GUID", platform::kRegSz, data.data(), data.size()), platform::kRegistrySuccess);
    }

    // The stored bytes; nullopt without a value.
    std::optional<std::string> Stored() const {
        std::unique_ptr<RegistryKey> key;
        if (RegistryKey::Open(kKey, RegistryAccess::kAllAccess, RegistryView::k64Bit, key) !=
            platform::kRegistrySuccess) {
            return std::nullopt;
        }
        std::string buffer(8192, '\0');
        std::size_t size = buffer.size();
        platform::RegistryValueType type = platform::kRegNone;
        if (key->QueryValue(L"GUID", type, buffer.data(), size) != platform::kRegistrySuccess) return std::nullopt;
        EXPECT_EQ(type, platform::kRegSz);
        return buffer.substr(0, size);
    }

    TempFolder folder_;
    const std::string store_ = folder_ / "registry";
    ScopedEnvironment environment_;
};

TEST_F(GetGuidTest, TheFirstRunCreatesBothKeysAndStoresANewIdentity) {
    const std::wstring guid = GetGuid();
    EXPECT_TRUE(IsNewIdentity(guid)) << platform::ToUtf8(guid);
    EXPECT_TRUE(std::filesystem::is_directory(store_ + "/SOFTWARE/WOW6432Node/Zelmora/ZelmoraDown"));
    // 36 UTF-16 code units, no terminator.
    EXPECT_EQ(Stored(), platform::RegistryStringData(guid));
    EXPECT_EQ(Stored()->size(), 72u);
    EXPECT_EQ(GetGuid(), guid);
}

TEST_F(GetGuidTest, AStoredTextOfLettersDigitsAndHyphensIsKept) {
    const std::wstring cases[] = {L"abc-123", L"-", L"ABCDEFGHIJ-klmnop-0123", std::wstring(1023, L'a')};
    for (const std::wstring& text : cases) {
        Store(platform::RegistryStringData(text));
        EXPECT_EQ(GetGuid(), text) << text.size();
        EXPECT_EQ(Stored(), platform::RegistryStringData(text));
    }
    // Readers stop at a terminator when one was stored.
    Store(platform::RegistryStringData(L"abc-123") + std::string(2, '\0'));
    EXPECT_EQ(GetGuid(), L"abc-123");
}

TEST_F(GetGuidTest, AnythingElseIsReplacedByANewIdentity) {
    const std::wstring cases[] = {
        L"{6F9619FF-8B86-D011-B42D-00C04FC964FF}",
        L"abc 123",
        L"abc-123 ",
        L"abc\u00E9",  // a letter, but not an ASCII one
        L"",
        std::wstring(1024, L'a'),  // no room for the terminator in the read buffer
        std::wstring(5000, L'a'),
    };
    for (const std::wstring& text : cases) {
        Store(platform::RegistryStringData(text));
        const std::wstring guid = GetGuid();
        EXPECT_TRUE(IsNewIdentity(guid)) << platform::ToUtf8(text.substr(0, 40));
        EXPECT_EQ(Stored(), platform::RegistryStringData(guid));
    }
}

TEST_F(GetGuidTest, AnExistingKeyWithoutAValueGetsANewIdentity) {
    std::filesystem::create_directories(store_ + "/SOFTWARE/WOW6432Node/Zelmora/ZelmoraDown");
    const std::wstring guid = GetGuid();
    EXPECT_TRUE(IsNewIdentity(guid));
    EXPECT_EQ(Stored(), platform::RegistryStringData(guid));
}

TEST_F(GetGuidTest, AFailedWriteStillReturnsTheNewIdentity) {
    // A folder where the value's file belongs can be neither read nor replaced.
    std::filesystem::create_directories(store_ + "/SOFTWARE/WOW6432Node/Zelmora/ZelmoraDown/GUID.value");
    const std::wstring first = GetGuid();
    EXPECT_TRUE(IsNewIdentity(first));
    EXPECT_FALSE(Stored());
    const std::wstring second = GetGuid();
    EXPECT_TRUE(IsNewIdentity(second));
    EXPECT_NE(first, second);
}

TEST_F(GetGuidTest, AStoreBelowAFileGivesAnEmptyIdentity) {
    WriteFileText(folder_ / "file", "");
    environment_.Set("ZD_REGISTRY_DIR", folder_ / "file/registry");
    EXPECT_EQ(GetGuid(), L"");
}

// As an unprivileged user, with a key made by root that the user may not
// write, and with a key the user may write but not read.
TEST_F(GetGuidTest, AKeyTheUserMayNotUseGivesAnEmptyIdentity) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root";
    const std::string key = store_ + "/SOFTWARE/WOW6432Node/Zelmora/ZelmoraDown";
    std::filesystem::create_directories(key);
    chmod(folder_.path().c_str(), 0755);
    Store(platform::RegistryStringData(L"abc-123"));
    EXPECT_EQ(QueryAsNobody([] { return platform::ToUtf8(GetGuid()); }), "");

    const passwd* nobody = getpwnam("nobody");
    ASSERT_TRUE(nobody);
    ASSERT_EQ(chown(key.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    ASSERT_EQ(chmod(key.c_str(), 0300), 0);
    EXPECT_EQ(QueryAsNobody([] { return platform::ToUtf8(GetGuid()); }), "");
    // The same key with the right to read serves the stored identity.
    ASSERT_EQ(chmod(key.c_str(), 0700), 0);
    EXPECT_EQ(QueryAsNobody([] { return platform::ToUtf8(GetGuid()); }), "abc-123");
}

}  // namespace
