#include "platform/DebugOutput.h"

#include "support/TempFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Standard error is pointed at a file while `write` runs.
std::string CapturedStandardError(const std::string& file, void (*write)()) {
    const int capture = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int saved = dup(STDERR_FILENO);
    dup2(capture, STDERR_FILENO);
    write();
    dup2(saved, STDERR_FILENO);
    close(saved);
    close(capture);
    return ReadFileText(file);
}

using namespace std::string_literals;

const std::string kAwkwardText = "line one\nformat %s%n%d\t\0after nul \xFF\xC3\xA9 no newline"s;

TEST(DebugOutputTest, TextReachesStandardErrorUnchanged) {
    TempFolder folder;
    const std::string captured =
        CapturedStandardError(folder / "stderr", [] { platform::OutputDebugText(kAwkwardText); });
    EXPECT_EQ(captured, kAwkwardText);
}

TEST(DebugOutputTest, EmptyTextWritesNothing) {
    TempFolder folder;
    EXPECT_EQ(CapturedStandardError(folder / "stderr", [] { platform::OutputDebugText(""); }), "");
}

}  // namespace
