#include "download_engine/chunk_decoder.h"

#include <gtest/gtest.h>

#include "download_engine/http_error.h"

namespace dlengine {
namespace {

struct Decoded {
    std::string body;
    boost::system::error_code error;
    bool done = false;
    std::size_t consumed = 0;
};

// Decodes `input` handed over in two parts split at `split`, reading into an
// output of `output_size` bytes at a time.
Decoded DecodeSplit(const std::string& input, std::size_t split, std::size_t output_size) {
    chunk_decoder decoder;
    Decoded decoded;
    std::string output(output_size, '\0');
    const std::string parts[] = {input.substr(0, split), input.substr(split)};
    for (const std::string& part : parts) {
        std::size_t at = 0;
        while (!decoded.error && !decoder.done()) {
            const auto result = decoder.decode(part.data() + at, part.size() - at, output.data(), output.size(),
                                               decoded.error);
            at += result.consumed;
            decoded.body.append(output.data(), result.produced);
            if (result.consumed == 0 && result.produced == 0) break;
        }
        decoded.consumed += at;
        if (decoded.error || decoder.done()) break;
    }
    decoded.done = decoder.done();
    return decoded;
}

struct ChunkCase {
    const char* name;
    std::string input;
    std::string body;  // decoded before the end or the error
    bool valid;
    bool done;
};

class ChunkDecoderTableTest : public ::testing::TestWithParam<ChunkCase> {};

TEST_P(ChunkDecoderTableTest, SameResultAtEverySplitAndOutputSize) {
    const ChunkCase& c = GetParam();
    for (std::size_t output_size : {1u, 3u, 4096u}) {
        for (std::size_t split = 0; split <= c.input.size(); ++split) {
            SCOPED_TRACE("split " + std::to_string(split) + ", output " + std::to_string(output_size));
            const Decoded decoded = DecodeSplit(c.input, split, output_size);
            EXPECT_EQ(decoded.body, c.body);
            if (c.valid) {
                EXPECT_FALSE(decoded.error) << decoded.error.message();
            } else {
                EXPECT_EQ(decoded.error, http_error::invalid_chunked_encoding);
            }
            EXPECT_EQ(decoded.done, c.done);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, ChunkDecoderTableTest,
    ::testing::Values(
        ChunkCase{"OneChunk", "5\r\nhello\r\n0\r\n\r\n", "hello", true, true},
        ChunkCase{"ExtensionsAndTrailer", "5;name=value\r\nhello\r\n3\r\nabc\r\n0\r\nX-Sum: 1\r\n\r\n", "helloabc",
                  true, true},
        ChunkCase{"UpperCaseHex", "A\r\n0123456789\r\n0\r\n\r\n", "0123456789", true, true},
        ChunkCase{"LeadingZeros", "0000000000000000000003\r\nabc\r\n00\r\n\r\n", "abc", true, true},
        ChunkCase{"SizeFollowedByJunk", "3 junk\r\nabc\r\n0\r\n\r\n", "abc", true, true},
        ChunkCase{"Unfinished", "5\r\nhel", "hel", true, false},
        ChunkCase{"LastChunkWithoutTrailerEnd", "2\r\nab\r\n0\r\n", "ab", true, false},
        ChunkCase{"LargestSize", "7fffffffffffffff\r\nab", "ab", true, false},
        ChunkCase{"NoDigits", "zz\r\nhello\r\n0\r\n\r\n", "", false, false},
        ChunkCase{"EmptySizeLine", "\r\n", "", false, false},
        ChunkCase{"ExtensionWithoutSize", ";x\r\n", "", false, false},
        ChunkCase{"SpaceBeforeSize", " 5\r\nhello\r\n", "", false, false},
        ChunkCase{"DataLongerThanSize", "5\r\nhelloXX\r\n0\r\n\r\n", "hello", false, false},
        ChunkCase{"MissingCrlfAfterData", "5\r\nhello0\r\n\r\n", "hello", false, false},
        ChunkCase{"LineFeedOnly", "5\r\nhello\n0\r\n\r\n", "hello", false, false},
        ChunkCase{"SizeOverflowsSigned", "ffffffffffffffff\r\nab", "", false, false},
        ChunkCase{"SizeOverflowsUnsigned", "10000000000000000\r\nab", "", false, false},
        ChunkCase{"SizeOverflowsAfterZeros", "008000000000000000\r\n", "", false, false}),
    [](const ::testing::TestParamInfo<ChunkCase>& info) { return info.param.name; });

TEST(ChunkDecoderTest, LeavesBytesAfterTheBodyUnconsumed) {
    chunk_decoder decoder;
    const std::string input = "1\r\nx\r\n0\r\n\r\nHTTP/1.1 200 OK\r\n";
    char output[16];
    boost::system::error_code ec;
    const auto result = decoder.decode(input.data(), input.size(), output, sizeof output, ec);
    EXPECT_FALSE(ec);
    EXPECT_TRUE(decoder.done());
    EXPECT_EQ(result.produced, 1u);
    EXPECT_EQ(input.substr(result.consumed), "HTTP/1.1 200 OK\r\n");
}

TEST(ChunkDecoderTest, StaysBrokenAfterAnError) {
    chunk_decoder decoder;
    char output[16];
    boost::system::error_code ec;
    decoder.decode("x\r\n", 3, output, sizeof output, ec);
    ASSERT_EQ(ec, http_error::invalid_chunked_encoding);
    decoder.decode("5\r\nhello\r\n", 10, output, sizeof output, ec);
    EXPECT_EQ(ec, http_error::invalid_chunked_encoding);
    decoder.reset();
    const auto result = decoder.decode("5\r\nhello\r\n", 10, output, sizeof output, ec);
    EXPECT_FALSE(ec);
    EXPECT_EQ(result.produced, 5u);
}

TEST(ChunkDecoderTest, RefusesASizeLineWithoutEnd) {
    chunk_decoder decoder;
    const std::string input = "5;" + std::string(chunk_decoder::max_line_length, 'e');
    char output[16];
    boost::system::error_code ec;
    decoder.decode(input.data(), input.size(), output, sizeof output, ec);
    EXPECT_EQ(ec, http_error::invalid_chunked_encoding);
}

TEST(ChunkDecoderTest, TracksWhatIsLeftOfALargeChunk) {
    chunk_decoder decoder;
    char output[4];
    boost::system::error_code ec;
    const std::string input = "7fffffffffffffff\r\nabcdef";
    const auto result = decoder.decode(input.data(), input.size(), output, sizeof output, ec);
    EXPECT_FALSE(ec);
    EXPECT_EQ(result.produced, 4u);
    EXPECT_EQ(decoder.chunk_remaining(), 0x7fffffffffffffffull - 4);
    EXPECT_FALSE(decoder.last_chunk_seen());
}

}  // namespace
}  // namespace dlengine
