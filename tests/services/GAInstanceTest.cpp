#include "services/GA.h"

#include "platform/Registry.h"
#include "platform/ScopedEnvironment.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

// The one case of this program that makes the process's sender.
TEST(GAInstanceTest, TheSenderIsMadeOnceWithTheStoredIdentity) {
    TempFolder folder;
    ScopedEnvironment environment;
    environment.Set("ZD_REGISTRY_DIR", folder.path());
    std::unique_ptr<platform::RegistryKey> key;
    platform::RegistryDisposition disposition{};
    ASSERT_EQ(
        platform::RegistryKey::Create(L"SOFTWARE\\WOW6432Node\\Zelmora\\ZelmoraDown", platform::RegistryAccess::kWrite,
                                      platform::RegistryView::kDefault, key, disposition),
        platform::kRegistrySuccess);
    const std::string data = platform::RegistryStringData(L"abc-123");
    ASSERT_EQ(key->SetValue(L"GUID", platform::kRegSz, data.data(), data.size()), platform::kRegistrySuccess);

    CGA* sender = CGA::GetInstance();
    ASSERT_NE(sender, nullptr);
    EXPECT_EQ(sender->GetGuid(), "abc-123");
    EXPECT_EQ(sender->GetUrl(), L"");
    EXPECT_EQ(sender->GetTitle(), L"");

    const std::string other = platform::RegistryStringData(L"other-1");
    ASSERT_EQ(key->SetValue(L"GUID", platform::kRegSz, other.data(), other.size()), platform::kRegistrySuccess);
    EXPECT_EQ(CGA::GetInstance(), sender);
    EXPECT_EQ(CGA::GetInstance()->GetGuid(), "abc-123");
}

}  // namespace
