#include "platform/Registry.h"

#include "RunAsNobody.h"
#include "ScopedEnvironment.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace {

using platform::RegistryAccess;
using platform::RegistryDisposition;
using platform::RegistryKey;
using platform::RegistryView;

constexpr wchar_t kKey[] = L"SOFTWARE\\WOW6432Node\\Zelmora\\ZelmoraDown";

class RegistryTest : public testing::Test {
protected:
    RegistryTest() { environment_.Set("ZD_REGISTRY_DIR", store_); }

    std::unique_ptr<RegistryKey> CreateKey(const wchar_t* path, RegistryAccess access, RegistryDisposition* seen) {
        std::unique_ptr<RegistryKey> key;
        RegistryDisposition disposition{};
        EXPECT_EQ(RegistryKey::Create(path, access, RegistryView::kDefault, key, disposition),
                  platform::kRegistrySuccess);
        if (seen) *seen = disposition;
        return key;
    }

    // Every file and folder below the store, relative to it.
    std::vector<std::string> StoreEntries() const {
        std::vector<std::string> entries;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(store_)) {
            entries.push_back(std::filesystem::relative(entry.path(), store_).string());
        }
        std::sort(entries.begin(), entries.end());
        return entries;
    }

    TempFolder folder_;
    const std::string store_ = folder_ / "store/registry";
    ScopedEnvironment environment_;
};

TEST_F(RegistryTest, CreateMakesEveryMissingKeyAndTellsCreatedFromOpened) {
    RegistryDisposition disposition{};
    ASSERT_TRUE(CreateKey(kKey, RegistryAccess::kWrite, &disposition));
    EXPECT_EQ(disposition, RegistryDisposition::kCreatedNewKey);
    EXPECT_EQ(StoreEntries(),
              (std::vector<std::string>{"SOFTWARE", "SOFTWARE/WOW6432Node", "SOFTWARE/WOW6432Node/Zelmora",
                                        "SOFTWARE/WOW6432Node/Zelmora/ZelmoraDown"}));
    ASSERT_TRUE(CreateKey(kKey, RegistryAccess::kWrite, &disposition));
    EXPECT_EQ(disposition, RegistryDisposition::kOpenedExistingKey);
    // A parent that exists already does not make a new child "opened".
    ASSERT_TRUE(CreateKey(L"SOFTWARE\\Other", RegistryAccess::kWrite, &disposition));
    EXPECT_EQ(disposition, RegistryDisposition::kCreatedNewKey);

    std::unique_ptr<RegistryKey> key;
    EXPECT_EQ(RegistryKey::Open(L"SOFTWARE\\Missing", RegistryAccess::kAllAccess, RegistryView::k64Bit, key),
              platform::kRegistryFileNotFound);
    EXPECT_EQ(RegistryKey::Open(L"SOFTWARE\\\\Zelmora", RegistryAccess::kAllAccess, RegistryView::k64Bit, key),
              platform::kRegistryInvalidParameter);
    EXPECT_FALSE(key);
}

TEST_F(RegistryTest, ValuesKeepTheirTypeAndBytesInBothViews) {
    auto writer = CreateKey(kKey, RegistryAccess::kWrite, nullptr);
    ASSERT_TRUE(writer);
    const std::string data("G\0U\0\xFF\0", 6);
    ASSERT_EQ(writer->SetValue(L"GUID", platform::kRegSz, data.data(), data.size()), platform::kRegistrySuccess);
    ASSERT_EQ(writer->SetValue(L"Empty", platform::kRegBinary, nullptr, 0), platform::kRegistrySuccess);

    std::unique_ptr<RegistryKey> reader;
    ASSERT_EQ(RegistryKey::Open(kKey, RegistryAccess::kAllAccess, RegistryView::k64Bit, reader),
              platform::kRegistrySuccess);
    char buffer[16] = {};
    std::size_t size = sizeof buffer;
    platform::RegistryValueType type = platform::kRegNone;
    ASSERT_EQ(reader->QueryValue(L"GUID", type, buffer, size), platform::kRegistrySuccess);
    EXPECT_EQ(type, platform::kRegSz);
    EXPECT_EQ(std::string(buffer, size), data);

    size = sizeof buffer;
    ASSERT_EQ(reader->QueryValue(L"Empty", type, buffer, size), platform::kRegistrySuccess);
    EXPECT_EQ(type, platform::kRegBinary);
    EXPECT_EQ(size, 0u);

    // Too small a buffer: the length needed, nothing copied.
    char small[4] = {'x', 'x', 'x', 'x'};
    size = sizeof small;
    EXPECT_EQ(reader->QueryValue(L"GUID", type, small, size), platform::kRegistryMoreData);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(std::string(small, 4), "xxxx");

    size = sizeof buffer;
    EXPECT_EQ(reader->QueryValue(L"Missing", type, buffer, size), platform::kRegistryFileNotFound);
    // A key opened only for writing cannot read.
    size = sizeof buffer;
    EXPECT_EQ(writer->QueryValue(L"GUID", type, buffer, size), platform::kRegistryAccessDenied);
}

TEST_F(RegistryTest, AWriteReplacesTheWholeValueAndLeavesNoTemporaryFile) {
    auto key = CreateKey(L"Key", RegistryAccess::kAllAccess, nullptr);
    ASSERT_TRUE(key);
    ASSERT_EQ(key->SetValue(L"v", platform::kRegBinary, "a long old value", 16), platform::kRegistrySuccess);
    // What a crash between writing and renaming leaves behind.
    WriteFileText(store_ + "/Key/.tmp-AbCdEf", "torn");
    ASSERT_EQ(key->SetValue(L"v", platform::kRegDword, "new", 3), platform::kRegistrySuccess);
    EXPECT_EQ(ReadFileText(store_ + "/Key/v.value"), std::string("\x04\0\0\0new", 7));
    EXPECT_EQ(StoreEntries(), (std::vector<std::string>{"Key", "Key/.tmp-AbCdEf", "Key/v.value"}));

    // A value that cannot be replaced reports it and leaves nothing behind.
    std::filesystem::create_directory(store_ + "/Key/blocked.value");
    EXPECT_NE(key->SetValue(L"blocked", platform::kRegSz, "x", 1), platform::kRegistrySuccess);
    EXPECT_EQ(StoreEntries(), (std::vector<std::string>{"Key", "Key/.tmp-AbCdEf", "Key/blocked.value", "Key/v.value"}));
}

TEST_F(RegistryTest, NamesStayInsideTheirKeyFolder) {
    auto key = CreateKey(L"..\\a/b\\.", RegistryAccess::kAllAccess, nullptr);
    ASSERT_TRUE(key);
    ASSERT_EQ(key->SetValue(L"../x", platform::kRegSz, "1", 1), platform::kRegistrySuccess);
    ASSERT_EQ(key->SetValue(L"", platform::kRegSz, "2", 1), platform::kRegistrySuccess);
    EXPECT_EQ(StoreEntries(),
              (std::vector<std::string>{"%2E%2E", "%2E%2E/a%2Fb", "%2E%2E/a%2Fb/%2E",
                                        "%2E%2E/a%2Fb/%2E/%2E%2E%2Fx.value", "%2E%2E/a%2Fb/%2E/.value"}));
}

TEST_F(RegistryTest, AStoreBelowAFileCannotBeOpened) {
    WriteFileText(folder_ / "file", "");
    environment_.Set("ZD_REGISTRY_DIR", folder_ / "file/registry");
    std::unique_ptr<RegistryKey> key;
    RegistryDisposition disposition{};
    EXPECT_EQ(RegistryKey::Create(kKey, RegistryAccess::kWrite, RegistryView::kDefault, key, disposition),
              platform::kRegistryFileNotFound);
    EXPECT_FALSE(key);
}

TEST_F(RegistryTest, WithoutAStoreFolderAUserGetsOneInTheConfigFolder) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root";
    chmod(folder_.path().c_str(), 0777);
    environment_.Unset("ZD_REGISTRY_DIR");
    environment_.Set("XDG_CONFIG_HOME", folder_.path());
    const std::string answer = QueryAsNobody([] {
        std::unique_ptr<RegistryKey> key;
        RegistryDisposition disposition{};
        return std::to_string(
            RegistryKey::Create(L"Key", RegistryAccess::kWrite, RegistryView::kDefault, key, disposition));
    });
    EXPECT_EQ(answer, "0");
    EXPECT_TRUE(std::filesystem::is_directory(folder_ / "zelmora/registry/Key"));
}

TEST(RegistryStringTest, TextIsUtf16LittleEndianWithoutTerminator) {
    EXPECT_EQ(platform::RegistryStringData(L"A\u00E9"), std::string("A\0\xE9\0", 4));
    EXPECT_EQ(platform::RegistryStringData(L"\U0001F600"), std::string("\x3D\xD8\x00\xDE", 4));

    struct Case {
        std::string data;
        std::wstring text;
    } cases[] = {
        {std::string("a\0b\0", 4), L"ab"},
        {std::string("a\0b\0\0\0c\0", 8), L"ab"},  // up to the first NUL
        {std::string("a\0b", 3), L"a"},            // the odd byte is dropped
        {std::string("\x3D\xD8\x00\xDE", 4), L"\U0001F600"},
        {std::string("\x3D\xD8"
                     "a\0",
                     4),
         L"?a"},  // a lone surrogate
        {std::string("\x00\xDE", 2), L"?"},
        {"", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::RegistryStringFromData(c.data.data(), c.data.size()), c.text);
    }
}

}  // namespace
