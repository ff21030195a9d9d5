#include "http_kit/LogCapture.h"

#include "platform/TextConversion.h"
#include "shell/Log.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

namespace {

const std::string& LogFile() {
    static TempFolder folder;
    static const std::string file = [] {
        LogInit(L"http_kit_test.log", platform::ToWide(folder.path()));
        return folder / "http_kit_test.log";
    }();
    return file;
}

}  // namespace

LogCapture::LogCapture() : start_(ReadFileText(LogFile()).size()) {}

std::string LogCapture::Written() const {
    const std::string text = ReadFileText(LogFile());
    return text.size() > start_ ? text.substr(start_) : std::string();
}
