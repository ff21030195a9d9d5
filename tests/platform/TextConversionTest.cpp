#include "platform/TextConversion.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct DecodeCase {
    const char* what;
    std::string utf8;
    std::wstring wide;
};

class ToWideTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(ToWideTest, DecodesStrictly) {
    EXPECT_EQ(platform::ToWide(GetParam().utf8), GetParam().wide);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToWideTest,
    testing::Values(
        DecodeCase{"empty", "", L""},
        DecodeCase{"ascii_with_nul", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
        DecodeCase{"two_bytes", "\xC3\xA9t\xC3\xA9", L"\u00E9t\u00E9"},
        DecodeCase{"three_bytes", "\xE2\x82\xAC \xEF\xBC\x9A", L"\u20AC \uFF1A"},
        DecodeCase{"four_bytes", "\xF0\x9F\x98\x80", L"\U0001F600"},
        DecodeCase{"smallest_of_each_length", "\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80", L"\u0080\u0800\U00010000"},
        DecodeCase{"largest_of_each_length", "\x7F\xDF\xBF\xEF\xBF\xBF\xF4\x8F\xBF\xBF",
                   L"\u007F\u07FF\uFFFF\U0010FFFF"},
        DecodeCase{"overlong_slash", "\xC0\xAF", L"??"},
        DecodeCase{"overlong_nul", "a\xC0\x80z", L"a??z"},
        DecodeCase{"overlong_three_bytes", "\xE0\x80\xAF", L"???"},
        DecodeCase{"overlong_four_bytes", "\xF0\x82\x82\xAC", L"????"},
        DecodeCase{"high_surrogate", "\xED\xA0\x80", L"???"},
        DecodeCase{"low_surrogate", "\xED\xBF\xBF", L"???"},
        DecodeCase{"past_last_code_point", "\xF4\x90\x80\x80", L"????"},
        DecodeCase{"lead_byte_past_f4", "\xF5\x80\x80\x80", L"????"},
        DecodeCase{"lead_bytes_never_used", "\xF8\xFF\xFE", L"???"},
        DecodeCase{"lone_continuation", "a\x80" "b", L"a?b"},
        DecodeCase{"truncated_at_end", "ok\xE2\x82", L"ok??"},
        DecodeCase{"truncated_before_ascii", "\xE2\x82" "A", L"??A"},
        DecodeCase{"latin1_text", "caf\xE9!", L"caf?!"},
        DecodeCase{"valid_after_invalid", "\xFF\xC3\xA9", L"?\u00E9"}),
    [](const testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.what); });

struct EncodeCase {
    const char* what;
    std::wstring wide;
    std::string utf8;
};

class ToUtf8Test : public testing::TestWithParam<EncodeCase> {};

TEST_P(ToUtf8Test, EncodesOrMarksUnencodable) {
    EXPECT_EQ(platform::ToUtf8(GetParam().wide), GetParam().utf8);
}

std::wstring Units(std::initializer_list<unsigned> values) {
    std::wstring text;
    for (unsigned value : values) text.push_back(static_cast<wchar_t>(value));
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToUtf8Test,
    testing::Values(
        EncodeCase{"empty", L"", ""},
        EncodeCase{"ascii_with_nul", std::wstring(L"a\0b", 3), std::string("a\0b", 3)},
        EncodeCase{"each_length", L"\u007F\u0080\u07FF\u0800\uFFFF\U00010000\U0010FFFF",
                   "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"},
        EncodeCase{"fullwidth_colon", L"a\uFF1Ab", "a\xEF\xBC\x9A" "b"},
        EncodeCase{"lone_surrogates", Units({'x', 0xD800, 0xDFFF, 'y'}), "x??y"},
        EncodeCase{"surrogate_pair_is_not_joined", Units({0xD83D, 0xDE00}), "??"},
        EncodeCase{"past_last_code_point", Units({0x110000, 'z'}), "?z"},
        EncodeCase{"negative_unit", Units({0xFFFFFFFFu}), "?"}),
    [](const testing::TestParamInfo<EncodeCase>& info) { return std::string(info.param.what); });

TEST(TextConversionTest, EveryCodePointSurvivesTheRoundTrip) {
    std::wstring all;
    for (unsigned value = 0; value <= 0x10FFFF; ++value) {
        if (value < 0xD800 || value > 0xDFFF) all.push_back(static_cast<wchar_t>(value));
    }
    EXPECT_EQ(platform::ToWide(platform::ToUtf8(all)), all);
}

}  // namespace
