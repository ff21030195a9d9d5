#include "download_engine/request_opts.h"

#include <gtest/gtest.h>

namespace dlengine {
namespace {

TEST(RequestOptsTest, InsertKeepsEveryPairInOrder) {
    request_opts options;
    options.insert("Accept", "a");
    options.insert("X-One", "1");
    options.insert("accept", "b");
    ASSERT_EQ(options.size(), 3u);
    EXPECT_EQ(options.items()[0], request_opts::value_type("Accept", "a"));
    EXPECT_EQ(options.items()[2], request_opts::value_type("accept", "b"));
}

TEST(RequestOptsTest, FindIgnoresCaseAndTakesTheFirst) {
    request_opts options;
    options.insert("Content-Length", "10");
    options.insert("content-length", "20");
    EXPECT_EQ(options.find("CONTENT-LENGTH"), std::optional<std::string>("10"));
    EXPECT_FALSE(options.find("Content-Type").has_value());
    options.insert("Empty", "");
    EXPECT_EQ(options.find("empty"), std::optional<std::string>(""));
}

TEST(RequestOptsTest, RemoveTakesEveryPairOfTheNameWhateverItsCase) {
    request_opts options;
    options.insert("Range", "bytes=0-");
    options.insert("Host", "h");
    options.insert("RANGE", "bytes=1-");
    options.remove("range");
    ASSERT_EQ(options.size(), 1u);
    EXPECT_EQ(options.items()[0].first, "Host");
}

TEST(RequestOptsTest, SetReplacesAndMovesToTheEnd) {
    request_opts options;
    options.insert("Range", "bytes=0-");
    options.insert("Host", "h");
    options.set("range", "bytes=5-9");
    ASSERT_EQ(options.size(), 2u);
    EXPECT_EQ(options.items()[1], request_opts::value_type("range", "bytes=5-9"));
}

}  // namespace
}  // namespace dlengine
