#include "download_engine/multi_download.h"
#include "download_engine/rangefield.h"

#include <gtest/gtest.h>

namespace {

using dlengine::rangefield;
using range = rangefield::range;

TEST(RangefieldTest, UpdateAcceptsOnlyRangesInsideTheSize) {
    rangefield field;
    field.reset(100);
    EXPECT_FALSE(field.update(-1, 10));
    EXPECT_FALSE(field.update(10, 10));
    EXPECT_FALSE(field.update(20, 10));
    EXPECT_FALSE(field.update(90, 101));
    EXPECT_TRUE(field.update(0, 100));
    EXPECT_TRUE(field.is_full());
}

TEST(RangefieldTest, GapsAndOutSpaceAfterScatteredWrites) {
    rangefield field;
    field.reset(100);
    EXPECT_EQ(field.gaps(), (std::vector<range>{{0, 100}}));
    field.update(10, 20);
    field.update(20, 30);  // touching: one range
    field.update(25, 40);  // overlapping
    field.update(60, 70);
    EXPECT_EQ(field.ranges(), (std::vector<range>{{10, 40}, {60, 70}}));
    EXPECT_EQ(field.gaps(), (std::vector<range>{{0, 10}, {40, 60}, {70, 100}}));
    EXPECT_EQ(field.bytes(), 40);
    EXPECT_EQ(field.out_space(0), range(0, 10));
    EXPECT_EQ(field.out_space(15), range(40, 60));
    EXPECT_EQ(field.out_space(45), range(45, 60));
    EXPECT_EQ(field.out_space(100), range(0, 10));  // none ends after: the first gap
    EXPECT_FALSE(field.is_full());
    field.update(0, 100);
    EXPECT_FALSE(field.out_space(0));
    EXPECT_TRUE(field.gaps().empty());
}

TEST(RangefieldTest, AdjacentWritesStayOneEntryAndCountOnce) {
    rangefield field;
    field.reset(1 << 20);
    for (std::int64_t at = 0; at < (1 << 20); at += 2048) field.update(at, at + 2048);
    EXPECT_EQ(field.bytes(), 1 << 20);
    EXPECT_TRUE(field.is_full());
    field.reset(10);
    EXPECT_EQ(field.bytes(), 0);
    EXPECT_EQ(field.size(), 10);
}

TEST(PieceSizeTest, PowersOfTwoFromSixteenKibToSixteenMib) {
    struct Case {
        std::int64_t fileSize;
        std::int64_t pieceSize;
    } cases[] = {
        {0, 16384},
        {1000000, 16384},
        {64ll << 20, 32768},           // 64 MiB / 2048 = 32 KiB
        {(64ll << 20) + 2048, 65536},  // one past: the next power
        {1ll << 40, 16ll << 20},       // capped
        {(5ll << 30), 4ll << 20},      // 5 GiB: 64-bit arithmetic
    };
    for (const Case& c : cases) EXPECT_EQ(dlengine::default_piece_size(c.fileSize), c.pieceSize) << c.fileSize;
}

TEST(EscapeUrlTest, EncodesHighBytesAndUnsafeCharactersInLowerCase) {
    EXPECT_EQ(dlengine::escape_url("http://h/a b^`{|}.exe?x=1"), "http://h/a%20b%5e%60%7b%7c%7d.exe?x=1");
    EXPECT_EQ(dlengine::escape_url("http://h/\xC3\xA9t\xC3\xA9"), "http://h/%c3%a9t%c3%a9");
    EXPECT_EQ(dlengine::escape_url("http://h/%41~"), "http://h/%41~");
}

}  // namespace
