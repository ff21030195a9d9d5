#include "shell/Log.h"

#include "platform/DebugOutput.h"
#include "platform/FileSystem.h"
#include "platform/Folders.h"
#include "platform/TextConversion.h"
#include "shell/StringUtil.h"

#include <log4cpp/Category.hh>
#include <log4cpp/PatternLayout.hh>
#include <log4cpp/Priority.hh>
#include <log4cpp/RollingFileAppender.hh>

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <mutex>
#include <vector>

namespace {

constexpr std::size_t kMaxFileSize = 10 * 1024 * 1024;
constexpr unsigned int kBackupCount = 1;
constexpr mode_t kFileMode = 0644;
constexpr const char* kFatalCheck = "***Fatal Error Check,Please Fix it!***";

// Both stay off in this program; they are kept as switches because the
// location prefix is also what the fatal-check record is written with.
constexpr bool kLocationPrefix = false;
constexpr bool kDebuggerEcho = false;

std::mutex& SetUpGuard() {
    static std::mutex guard;
    return guard;
}

const std::string& ProgramBaseName() {
    static const std::string name =
        platform::ToUtf8(FileBaseName(FileNameOfPath(platform::ToWide(platform::ModulePath()))));
    return name;
}

log4cpp::Priority::Value PriorityOfLevel(int level) {
    switch (level) {
        case kLogDebug:
            return log4cpp::Priority::DEBUG;
        case kLogInfo:
            return log4cpp::Priority::INFO;
        case kLogWarning:
            return log4cpp::Priority::WARN;
        default:
            return log4cpp::Priority::ERROR;
    }
}

std::string SourceFileName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void Emit(const std::string& function, const std::string& sourceFile, int line, int level, const std::string& message,
          bool forcePrefix) {
    std::string text = message;
    if (forcePrefix || kLocationPrefix) {
        const std::string file = SourceFileName(sourceFile);
        const int length =
            std::snprintf(nullptr, 0, "[%s:%d][%s] %s", file.c_str(), line, function.c_str(), message.c_str());
        std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
        std::snprintf(buffer.data(), buffer.size(), "[%s:%d][%s] %s", file.c_str(), line, function.c_str(),
                      message.c_str());
        text.assign(buffer.data(), static_cast<std::size_t>(length));
    }
    if (kDebuggerEcho) platform::OutputDebugText("[log] " + text + "\n");
    {
        std::lock_guard<std::mutex> lock(SetUpGuard());
        if (!log4cpp::Category::getRoot().getAppender(ProgramBaseName())) LogInit(L"", L"");
    }
    if (text.empty() || level < kLogDebug || level > kLogError) return;
    log4cpp::Category::getRoot().log(PriorityOfLevel(level), text);
}

}  // namespace

void LogInit(const std::wstring& fileName, const std::wstring& folder) {
    log4cpp::Category& root = log4cpp::Category::getRoot();
    const std::string appenderName = ProgramBaseName();
    if (root.getAppender(appenderName)) return;

    const std::wstring modulePath = platform::ToWide(platform::ModulePath());
    std::wstring logFolder = folder;
    if (logFolder.empty()) {
        logFolder = platform::ToWide(platform::ModuleFolder()) + L"Log";
    }
    platform::CreateFolders(platform::ToUtf8(logFolder));
    std::wstring name = fileName;
    if (name.empty()) name = FileBaseName(FileNameOfPath(modulePath)) + L".log";
    if (logFolder.back() != L'/') logFolder += L'/';

    auto* appender = new log4cpp::RollingFileAppender(appenderName, platform::ToUtf8(logFolder + name), kMaxFileSize,
                                                      kBackupCount, true, kFileMode);
    auto* layout = new log4cpp::PatternLayout();
    layout->setConversionPattern("%d %m%n ");
    appender->setLayout(layout);
    root.addAppender(appender);
    root.setPriority(log4cpp::Priority::DEBUG);
}

void LogWrite(const char* function, const char* sourceFile, int line, int level, const char* format, ...) {
    if (!format || !*format) return;
    const std::string functionName = function ? function : "";
    const std::string fileName = sourceFile ? sourceFile : "";

    va_list args;
    va_start(args, format);
    va_list measuring;
    va_copy(measuring, args);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    std::string message;
    if (length >= 0) {
        std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        message.assign(buffer.data(), static_cast<std::size_t>(length));
    }
    va_end(args);

    if (length < 0) {
        Emit(functionName, fileName, line, level, kFatalCheck, true);
    } else {
        Emit(functionName, fileName, line, level, message, false);
    }
}

void LogWrite(const wchar_t* function, const wchar_t* sourceFile, int line, int level, const wchar_t* format, ...) {
    if (!format || !*format) return;
    const std::string functionName = platform::ToUtf8(function ? function : L"");
    const std::string fileName = platform::ToUtf8(sourceFile ? sourceFile : L"");

    // A wide stream sizes itself, as vswprintf has no measuring mode.
    wchar_t* buffer = nullptr;
    std::size_t size = 0;
    FILE* stream = open_wmemstream(&buffer, &size);
    int length = -1;
    if (stream) {
        va_list args;
        va_start(args, format);
        length = std::vfwprintf(stream, format, args);
        va_end(args);
        std::fclose(stream);
    }
    const std::wstring message = length >= 0 && buffer ? std::wstring(buffer, size) : std::wstring();
    std::free(buffer);

    if (length < 0) {
        Emit(functionName, fileName, line, level, kFatalCheck, true);
    } else {
        Emit(functionName, fileName, line, level, platform::ToUtf8(message), false);
    }
}
