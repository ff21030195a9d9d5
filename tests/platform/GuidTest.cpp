#include "platform/Guid.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace {

TEST(GuidTest, GuidsAreRandomVersion4WithTheStandardVariant) {
    std::set<std::string> seen;
    for (int i = 0; i < 64; ++i) {
        const std::optional<platform::Guid> guid = platform::CreateGuid();
        ASSERT_TRUE(guid);
        EXPECT_EQ(guid->data3 >> 12, 4);
        EXPECT_EQ(guid->data4[0] >> 6, 2);
        std::string bytes(16, '\0');
        std::memcpy(&bytes[0], &guid->data1, 4);
        std::memcpy(&bytes[4], &guid->data2, 2);
        std::memcpy(&bytes[6], &guid->data3, 2);
        std::memcpy(&bytes[8], guid->data4, 8);
        seen.insert(bytes);
    }
    EXPECT_EQ(seen.size(), 64u);
}

}  // namespace
