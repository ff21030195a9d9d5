#include "installer/Startup.h"

#include "installer/MainFrameWnd.h"
#include "platform/SingleInstance.h"
#include "shell/Log.h"
#include "shell/StringUtil.h"
#include "shell/SystemUtil.h"

namespace {

// The first copy's part once it holds the instance lock.
int RunFirstInstance(CMainFrameWnd& frame, platform::InstanceLock& lock, const std::wstring& title) {
    lock.StartAnswering(
        {[title] { return WideToAnsi(title); },
         [] { LogWrite("RunFirstInstance", __FILE__, __LINE__, kLogInfo, "another copy asked to raise the window"); }});
    frame.LoadDomainFile();
    LogWrite("RunFirstInstance", __FILE__, __LINE__, kLogInfo,
             "the installer window is not built yet; start-up ends after the single-instance check");
    return 0;
}

}  // namespace

std::wstring InstanceNameOf(const std::wstring& programPath) {
    const std::wstring description = GetFileDescription(programPath);
    return description.empty() ? FileBaseName(FileNameOfPath(programPath)) : description;
}

int RunInstaller(CMainFrameWnd& frame) {
    frame.InitEnvironment();
    const std::wstring instanceName = InstanceNameOf(GetModulePath());
    const std::wstring title = frame.GetLanguageManager().GetText(L"STR_MESSAGEBOX_TITLE");

    auto lock = platform::InstanceLock::TryAcquire(WideToAnsi(instanceName));
    if (lock) return RunFirstInstance(frame, *lock, title);

    platform::RaiseRunningInstance(WideToAnsi(instanceName), WideToAnsi(title));
    return -1;
}
