#include "services/CarouselResponse.h"

#include <gtest/gtest.h>

namespace {

constexpr char kAnswer[] =
    R"({"code":1,"message":"ok","data":{"list":[{"url":"https://h/1.png","md5":"AB"},{"url":"https://h/2.png"}]}})";

TEST(ParseCarouselResponseTest, ReadsCodeMessageAndListInOrder) {
    CarouselResult result;
    std::vector<ImageInfo> list;
    ASSERT_TRUE(ParseCarouselResponse(result, list, kAnswer));
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.message, "ok");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].url, "https://h/1.png");
    EXPECT_EQ(list[0].md5, "AB");
    EXPECT_EQ(list[1].url, "https://h/2.png");
    EXPECT_EQ(list[1].md5, "");
}

TEST(ParseCarouselResponseTest, MembersOfAnotherTypeCountAsMissing) {
    struct Case {
        const char* body;
        std::int32_t code;
        const char* message;
        std::size_t entries;
    } cases[] = {
        {R"({"code":"1","data":{"list":[{}]}})", -1, "", 1},
        {R"({"code":1.0})", -1, "", 0},
        {R"({"code":2147483648})", -1, "", 0},
        {R"({"code":-2147483648,"message":5})", INT32_MIN, "", 0},
        {R"({"code":0,"message":"no","data":[{"list":[{}]}]})", 0, "no", 0},
        {R"({"data":{"list":{"url":"u"}}})", -1, "", 0},
        {R"({"message":"a\u0000b"})", -1, "a", 0},
        {R"({"code":1,"code":3})", 1, "", 0},  // the first of a repeated member
        {R"([1,2])", -1, "", 0},
        {R"("text")", -1, "", 0},
        {" \n{} \t", -1, "", 0},
    };
    for (const Case& c : cases) {
        CarouselResult result;
        std::vector<ImageInfo> list;
        EXPECT_TRUE(ParseCarouselResponse(result, list, c.body)) << c.body;
        EXPECT_EQ(result.code, c.code) << c.body;
        EXPECT_EQ(result.message, c.message) << c.body;
        EXPECT_EQ(list.size(), c.entries) << c.body;
    }
}

// Every cut of a valid answer and every invalid body fail without touching
// what the caller passed.
TEST(ParseCarouselResponseTest, AnythingButOneDocumentFailsAndChangesNothing) {
    const std::string answer = kAnswer;
    std::vector<std::string> bodies = {"",
                                       "   ",
                                       std::string(kAnswer) + "x",
                                       std::string(kAnswer) + "{}",
                                       std::string("{\"code\":1}\0", 11),
                                       "{'code':1}",
                                       "{\"code\":01}",
                                       std::string(200000, '[')};
    for (std::size_t cut = 0; cut < answer.size(); ++cut) bodies.push_back(answer.substr(0, cut));
    for (const std::string& body : bodies) {
        CarouselResult result;
        result.code = 7;
        result.message = "kept";
        std::vector<ImageInfo> list{{"u", "m"}};
        EXPECT_FALSE(ParseCarouselResponse(result, list, body)) << body.substr(0, 60);
        EXPECT_EQ(result.code, 7);
        EXPECT_EQ(result.message, "kept");
        EXPECT_EQ(list.size(), 1u);
    }
}

TEST(ParseCarouselResponseTest, DeepNestingIsParsedWithoutRecursion) {
    const std::size_t depth = 1000000;
    const std::string body = "{\"code\":1,\"deep\":" + std::string(depth, '[') + std::string(depth, ']') + "}";
    CarouselResult result;
    std::vector<ImageInfo> list;
    EXPECT_TRUE(ParseCarouselResponse(result, list, body));
    EXPECT_EQ(result.code, 1);
}

}  // namespace
