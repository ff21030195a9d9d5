#include "shell/ProcessUtil.h"

#include "platform/Launcher.h"
#include "platform/Processes.h"
#include "platform/TextConversion.h"

namespace {
constexpr std::size_t kImageNameLimit = 63;
}

bool FindProcess(const std::wstring& imageName, pid_t* pid) {
    const std::string name = platform::ToUtf8(imageName.substr(0, kImageNameLimit));
    for (const platform::ProcessEntry& process : platform::ProcessSnapshot()) {
        if (process.imageName == name) {
            *pid = process.pid;
            return true;
        }
    }
    return false;
}

bool KillProcess(pid_t pid) {
    return platform::KillProcess(pid);
}

void OpenUrl(const std::wstring& target) {
    platform::OpenWithDefaultApplication(platform::ToUtf8(target));
}

void RunProgram(const std::wstring& path, bool asAdmin) {
    const std::string file = platform::ToUtf8(path);
    if (asAdmin) {
        platform::RunProgram(file);
    } else {
        platform::RunAsInteractiveUser(file);
    }
}
