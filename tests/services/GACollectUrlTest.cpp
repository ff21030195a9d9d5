#include "services/GACollectUrl.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

TEST(GACollectUrlTest, PostsToTheCollectPathWithTheMeasurementIdAndSecret) {
    static const std::wregex kForm(
        L"https://[^/?]+/mp/collect\\?measurement_id=G-[A-Z0-9]{10}&api_secret=Zq8wLmR3vXn2KpT7bYc4Hd");
    EXPECT_TRUE(std::regex_match(GetGACollectUrl(), kForm));
}

}  // namespace
