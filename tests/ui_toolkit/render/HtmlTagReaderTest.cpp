#include "ui_toolkit/render/HtmlTagReader.h"

#include <string>

#include <gtest/gtest.h>

namespace {

struct TokenCase {
    const wchar_t* text;
    HtmlTokenKind kind;
    wchar_t letter;
    const wchar_t* argument;
    std::size_t length;
};

class HtmlTagReaderTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(HtmlTagReaderTest, ReadsTheTokenAtTheStart) {
    const TokenCase& expected = GetParam();
    const HtmlToken token = ReadHtmlToken(expected.text, 0);
    EXPECT_EQ(token.kind, expected.kind);
    EXPECT_EQ(token.letter, expected.letter);
    EXPECT_EQ(std::wstring(token.argument), expected.argument);
    EXPECT_EQ(token.length, expected.length);
}

INSTANTIATE_TEST_SUITE_P(
    Syntax, HtmlTagReaderTest,
    ::testing::Values(
        TokenCase{L"{b}x", HtmlTokenKind::kTag, L'b', L"", 3}, TokenCase{L"<b>x", HtmlTokenKind::kTag, L'b', L"", 3},
        TokenCase{L"{c #FFFF0000}red", HtmlTokenKind::kTag, L'c', L"#FFFF0000", 13},
        // Either closer ends either opener.
        TokenCase{L"{a http://x>link", HtmlTokenKind::kTag, L'a', L"http://x", 12},
        TokenCase{L"{f Sans 12 bold", HtmlTokenKind::kTag, L'f', L"Sans 12 bold", 15},
        TokenCase{L"{/a}", HtmlTokenKind::kClosingTag, L'a', L"", 4},
        TokenCase{L"</u>", HtmlTokenKind::kClosingTag, L'u', L"", 4},
        TokenCase{L"<{>", HtmlTokenKind::kEscape, L'{', L"", 3},
        TokenCase{L"<}>", HtmlTokenKind::kEscape, L'}', L"", 3},
        TokenCase{L"{<}", HtmlTokenKind::kEscape, L'<', L"", 3},
        TokenCase{L"{>}", HtmlTokenKind::kEscape, L'>', L"", 3}, TokenCase{L"{5}", HtmlTokenKind::kText, 0, L"", 0},
        TokenCase{L"{B}", HtmlTokenKind::kText, 0, L"", 0}, TokenCase{L"{bold}", HtmlTokenKind::kText, 0, L"", 0},
        TokenCase{L"{/ab}", HtmlTokenKind::kText, 0, L"", 0}, TokenCase{L"{/a", HtmlTokenKind::kText, 0, L"", 0},
        TokenCase{L"{b", HtmlTokenKind::kText, 0, L"", 0}, TokenCase{L"<", HtmlTokenKind::kText, 0, L"", 0},
        TokenCase{L"x{b}", HtmlTokenKind::kText, 0, L"", 0}));

// Every split of a marked-up text reads within bounds, and a token never
// reaches past the end.
TEST(HtmlTagReaderBounds, EveryPrefixAndPosition) {
    const std::wstring text = L"{c #FF00FF00}a{/c}<{>{i pic.png 2 1}{a x}b</a>{f Sans";
    for (std::size_t end = 1; end <= text.size(); ++end) {
        const std::wstring_view prefix(text.data(), end);
        for (std::size_t at = 0; at < end; ++at) {
            const HtmlToken token = ReadHtmlToken(prefix, at);
            EXPECT_LE(at + token.length, end);
            EXPECT_LE(token.argument.size(), token.length);
        }
    }
}

}  // namespace
