#include "shell/IniFile.h"

#include "platform/TextConversion.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

class IniFileTest : public testing::Test {
protected:
    std::wstring Write(const std::string& bytes) {
        WriteFileText(folder_ / "test.ini", bytes);
        return platform::ToWide(folder_ / "test.ini");
    }
    std::map<std::wstring, std::wstring> Section(const std::wstring& file, const std::wstring& section) {
        std::map<std::wstring, std::wstring> map;
        ReadIniSection(file, section, map);
        return map;
    }
    TempFolder folder_;
};

TEST_F(IniFileTest, ReadsBothEncodingsWithBlanksAroundTheFirstEquals) {
    const std::wstring text =
        L"[URL]\r\n STR_DOWN_URL = https://d.example/a?key=x&lang=Deutsch \r\nSTR_MB=MB\r\nbare line\r\n";
    const std::string encodings[] = {Utf16LeWithBom(text), platform::ToUtf8(text),
                                     "\xEF\xBB\xBF" + platform::ToUtf8(text)};
    for (const std::string& bytes : encodings) {
        const std::wstring file = Write(bytes);
        EXPECT_EQ(ReadIniString(file, L"URL", L"STR_DOWN_URL"), L"https://d.example/a?key=x&lang=Deutsch");
        const auto map = Section(file, L"URL");
        const std::map<std::wstring, std::wstring> expected = {
            {L"STR_DOWN_URL", L"https://d.example/a?key=x&lang=Deutsch"}, {L"STR_MB", L"MB"}, {L"bare line", L""}};
        EXPECT_EQ(map, expected);
    }
}

TEST_F(IniFileTest, NonAsciiTextSurvivesUtf16AndLfOnlyLineEnds) {
    const std::wstring file = Write(Utf16LeWithBom(L"[LANSTR]\nSTR_START = 立即开始\nSTR_HIDE = إخفاء 😀\n"));
    EXPECT_EQ(ReadIniString(file, L"LANSTR", L"STR_START"), L"立即开始");
    EXPECT_EQ(ReadIniString(file, L"LANSTR", L"STR_HIDE"), L"إخفاء 😀");
}

TEST_F(IniFileTest, SectionReadMergesWithLaterDuplicatesWinning) {
    const std::wstring file = Write("[A]\r\nk=first\r\nk=second\r\nnew=1\r\n[B]\r\nk=other\r\n");
    std::map<std::wstring, std::wstring> map = {{L"k", L"default"}, {L"kept", L"yes"}};
    ReadIniSection(file, L"A", map);
    const std::map<std::wstring, std::wstring> expected = {{L"k", L"second"}, {L"kept", L"yes"}, {L"new", L"1"}};
    EXPECT_EQ(map, expected);
    // A single value read takes the first occurrence, as the profile functions do.
    EXPECT_EQ(ReadIniString(file, L"A", L"k"), L"first");
    EXPECT_EQ(ReadIniString(file, L"b", L"K"), L"other");
}

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesNothing) {
    const std::wstring file = Write("[A]\r\nk=v\r\n");
    EXPECT_EQ(ReadIniString(file, L"A", L"missing"), L"");
    EXPECT_EQ(ReadIniString(file, L"Missing", L"k"), L"");
    EXPECT_EQ(ReadIniString(L"/nonexistent/test.ini", L"A", L"k"), L"");
    std::map<std::wstring, std::wstring> map = {{L"k", L"default"}};
    ReadIniSection(L"/nonexistent/test.ini", L"A", map);
    ReadIniSection(file, L"Missing", map);
    EXPECT_EQ(map.at(L"k"), L"default");
    EXPECT_EQ(map.size(), 1u);
}

TEST_F(IniFileTest, ValueReadHoldsAt255Characters) {
    const std::wstring file = Write("[A]\r\nlong=" + std::string(300, 'x') + "\r\n");
    EXPECT_EQ(ReadIniString(file, L"A", L"long"), std::wstring(255, L'x'));
}

TEST_F(IniFileTest, SectionReadHoldsAt4096CharactersAndCutsTheLastEntry) {
    // Each "kNN=" + 96 characters + terminator is 101 characters: 40 entries
    // fill 4040, the 41st gets the remaining 54 characters, the rest is lost.
    std::string text = "[A]\r\n";
    for (int i = 10; i < 60; ++i) text += "k" + std::to_string(i) + "=" + std::string(96, 'v') + "\r\n";
    const auto map = Section(Write(text), L"A");
    ASSERT_EQ(map.size(), 41u);
    EXPECT_EQ(map.at(L"k49"), std::wstring(96, L'v'));
    EXPECT_EQ(map.at(L"k50"), std::wstring(54 - 4, L'v'));
    EXPECT_EQ(map.count(L"k51"), 0u);
}

TEST_F(IniFileTest, BrokenFilesGiveWhatCanBeReadAndNeverCrash) {
    const std::string cases[] = {
        "",                                                // empty
        "\xFF\xFE",                                        // only the byte-order mark
        Utf16LeWithBom(L"[A]\r\nk=v").substr(0, 13),       // odd length, cut inside a character
        "\xFF\xFE\x00\xD8[\x00",                           // lone surrogate
        "[A\r\nk=v\r\n",                                   // unterminated section name
        std::string("\x80\xFE\xC3[A]\r\nk=\xC3\x28\r\n"),  // invalid UTF-8
    };
    for (const std::string& bytes : cases) {
        const std::wstring file = Write(bytes);
        ReadIniString(file, L"A", L"k");
        Section(file, L"A");
    }
    EXPECT_EQ(ReadIniString(Write("[A\r\nk=v\r\n"), L"A", L"k"), L"v");
    EXPECT_EQ(ReadIniString(Write(std::string("[A]\r\nk=\xC3\x28\r\n")), L"A", L"k"), L"?(");
}

}  // namespace
