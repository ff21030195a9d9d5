#include "shell/Log.h"

#include "platform/Folders.h"
#include "platform/TextConversion.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <functional>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The log is set up once per process, so every case runs in a child of its own.
void InChild(const std::function<void()>& scenario) {
    const pid_t pid = fork();
    ASSERT_NE(pid, -1);
    if (pid == 0) {
        std::setlocale(LC_CTYPE, "C.UTF-8");
        scenario();
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

class LogTest : public testing::Test {
protected:
    std::string LogPath() const { return folder_ / "Log/zelmora_down.log"; }
    void Init() const { LogInit(L"zelmora_down.log", platform::ToWide(folder_ / "Log")); }

    TempFolder folder_;
};

const std::string kStamp = R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d,\d{3})";

TEST_F(LogTest, RecordsAreStampedAndEveryLaterOneStartsWithABlank) {
    InChild([&] {
        Init();
        LogWrite("CMainFrameWnd::InitData", __FILE__, __LINE__, kLogInfo, "Windows Bit:%s", "x64");
        LogWrite(L"CMainFrameWnd::InitData", L"MainFrameWnd.cpp", 2, kLogError, L"DownloadRatio:%d  ==== %ls", 90,
                 L"Lösung");
        LogWrite("f", __FILE__, __LINE__, kLogDebug, "debug");
        LogWrite("f", __FILE__, __LINE__, kLogWarning, "warning");
    });
    const std::regex expected(kStamp + " Windows Bit:x64\n " + kStamp + " DownloadRatio:90  ==== Lösung\n " + kStamp +
                              " debug\n " + kStamp + " warning\n ");
    EXPECT_TRUE(std::regex_match(ReadFileText(LogPath()), expected)) << ReadFileText(LogPath());
}

TEST_F(LogTest, EmptyFormatsAndUnknownLevelsWriteNothing) {
    InChild([&] {
        Init();
        LogWrite("f", __FILE__, __LINE__, kLogInfo, "%s", "");
        LogWrite(L"f", L"f.cpp", 1, kLogInfo, L"");
        LogWrite("f", __FILE__, __LINE__, 4, "level four");
        LogWrite("f", __FILE__, __LINE__, -1, "level minus one");
    });
    EXPECT_EQ(ReadFileText(LogPath()), "");
}

TEST_F(LogTest, AFormatTheArgumentsBreakWritesTheFatalCheckRecord) {
    InChild([&] {
        Init();
        // A lone surrogate cannot become UTF-8, and bytes that are not UTF-8
        // cannot become wide text: both formats fail.
        LogWrite("CGA::SendGACommon", "/src/services/GA.cpp", 42, kLogInfo, "value %ls", L"\xD800");
        LogWrite(L"CGA::Wide", L"C:\\src\\GA.cpp", 43, kLogWarning, L"value %s", "\xFF\xFE");
        LogWrite("after", __FILE__, __LINE__, kLogInfo, "still running");
    });
    const std::regex expected(
        kStamp + R"( \[GA\.cpp:42\]\[CGA::SendGACommon\] \*\*\*Fatal Error Check,Please Fix it!\*\*\*)" + "\n " +
        kStamp + R"( \[GA\.cpp:43\]\[CGA::Wide\] \*\*\*Fatal Error Check,Please Fix it!\*\*\*)" + "\n " + kStamp +
        " still running\n ");
    EXPECT_TRUE(std::regex_match(ReadFileText(LogPath()), expected)) << ReadFileText(LogPath());
}

TEST_F(LogTest, WideTextUtf8CannotCarryBecomesAQuestionMark) {
    InChild([&] {
        Init();
        const wchar_t text[] = {L'a', static_cast<wchar_t>(0x110000), L'b', 0};
        LogWrite(L"f", L"f.cpp", 1, kLogInfo, L"%ls", text);
    });
    EXPECT_NE(ReadFileText(LogPath()).find(" a?b\n "), std::string::npos) << ReadFileText(LogPath());
}

TEST_F(LogTest, SecondInitIsIgnored) {
    InChild([&] {
        Init();
        LogInit(L"other.log", platform::ToWide(folder_ / "Other"));
        LogWrite("f", __FILE__, __LINE__, kLogInfo, "one");
    });
    EXPECT_NE(ReadFileText(LogPath()).find(" one\n "), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder_ / "Other"));
}

TEST_F(LogTest, RollsOverAtTenMebibytesKeepingOneBackup) {
    InChild([&] {
        Init();
        const std::string chunk(64 * 1024, 'x');
        for (int i = 0; i < 2 * 170; ++i) LogWrite("f", __FILE__, __LINE__, kLogInfo, "%d %s", i, chunk.c_str());
        LogWrite("f", __FILE__, __LINE__, kLogInfo, "last");
    });
    const auto size = std::filesystem::file_size(LogPath());
    const auto backup = std::filesystem::file_size(LogPath() + ".1");
    EXPECT_LT(size, 10u * 1024 * 1024);
    EXPECT_GE(backup, 10u * 1024 * 1024);
    EXPECT_FALSE(std::filesystem::exists(LogPath() + ".2"));
    EXPECT_NE(ReadFileText(LogPath()).find(" last\n "), std::string::npos);
}

TEST_F(LogTest, AWriteBeforeInitUsesTheProgramFolder) {
    const std::string program = platform::ModulePath();
    const std::string expected =
        platform::ModuleFolder() + "Log/" + std::filesystem::path(program).stem().string() + ".log";
    std::filesystem::remove(expected);
    InChild([] { LogWrite("f", __FILE__, __LINE__, kLogInfo, "before init"); });
    EXPECT_NE(ReadFileText(expected).find(" before init\n "), std::string::npos) << expected;
    std::filesystem::remove_all(platform::ModuleFolder() + "Log");
}

}  // namespace
