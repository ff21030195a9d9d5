// A skinned window on the window base and the GTK window system, for the
// window tests to drive from outside: it prints what it hears, one line each.
//
//   window X Y W H               where it was placed, after centring
//   workarea L T R B             the work area it was centred in
//   notify TYPE NAME [TEXT]      a notification (TEXT: an edit's text)
//   size KIND W H max M restore R  a size message (M, R: 1 when visible)
//   answer N / folder PATH|none  what a dialog answered
//   painted US rss KB            the first paint: microseconds since the
//                                process started, peak resident memory
//   close CODE / modal CODE      a close message; what ShowModal returned
//
// Usage: zd_window_sample SKIN_FOLDER [--size W,H] [--box FLAGS] [--icon PNG]...
// The program ends with ShowModal's result as its status.

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/TextConversion.h"
#include "platform/gtk/GtkWindowSystem.h"
#include "ui_toolkit/core/ResourceSettings.h"
#include "ui_toolkit/host/MessageBoxStyle.h"
#include "ui_toolkit/window/WindowImplBase.h"

namespace {

void PrintLine(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

std::string RectText(const UiRect& r) {
    return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
           std::to_string(r.bottom);
}

// Microseconds since this process was started, from the kernel's record of
// its start (clock ticks since boot) and the boot-time clock.
long long MicrosecondsSinceStart() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) return -1;
    // Field 22 is the start time; the fields after the name start at 3.
    const char* p = text.c_str() + close + 2;
    for (int field = 3; field < 22 && *p != '\0'; ++field) p = std::strchr(p, ' ') + 1;
    const long long startTicks = std::atoll(p);
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const long long nowUs = now.tv_sec * 1000000LL + now.tv_nsec / 1000;
    return nowUs - startTicks * 1000000LL / sysconf(_SC_CLK_TCK);
}

class SampleWindow : public WindowImplBase {
public:
    SampleWindow(WindowSystem& system, std::uint32_t boxFlags) : WindowImplBase(system), m_boxFlags(boxFlags) {}

    void Notify(Notification& n) override {
        const std::string name = n.sender != nullptr ? platform::ToUtf8(n.sender->GetName()) : "";
        std::string line = "notify " + platform::ToUtf8(n.type) + " " + name;
        if (n.type == L"textchanged") line += " " + platform::ToUtf8(n.sender->GetText());
        PrintLine(line);
        if (n.type == L"click" && name == "askbtn") {
            PrintLine("answer " + std::to_string(GetHWND()->MessageBox(L"Go on?", L"Question", m_boxFlags)));
        }
        if (n.type == L"click" && name == "folderbtn") {
            const std::optional<std::wstring> folder = GetHWND()->BrowseForFolder(L"Pick a folder");
            PrintLine("folder " + (folder ? platform::ToUtf8(*folder) : std::string("none")));
        }
        WindowImplBase::Notify(n);
    }

protected:
    std::wstring GetWindowClassName() const override { return L"ZdWindowSample"; }
    std::wstring GetSkinFolder() const override { return L""; }
    std::wstring GetSkinFile() const override { return L"skin.xml"; }
    // Without a session bus the dock progress is skipped, quietly.
    void InitWindow() override { GetHWND()->SetTaskbarState(kTaskbarIndeterminate); }

    std::intptr_t HandleMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
        const std::intptr_t result = WindowImplBase::HandleMessage(message, wParam, lParam);
        if (message == kMsgPaint && !m_painted) {
            m_painted = true;
            rusage usage{};
            getrusage(RUSAGE_SELF, &usage);
            PrintLine("painted " + std::to_string(MicrosecondsSinceStart()) + " rss " +
                      std::to_string(usage.ru_maxrss));
        }
        if (message == kMsgSize) {
            const auto visible = [this](const wchar_t* control) {
                CControlUI* found = m_pm.FindControl(control);
                return found != nullptr && found->IsVisible() ? "1" : "0";
            };
            PrintLine("size " + std::to_string(wParam) + " " + std::to_string(PointParamX(lParam)) + " " +
                      std::to_string(PointParamY(lParam)) + " max " + visible(L"maxbtn") + " restore " +
                      visible(L"restorebtn"));
        }
        return result;
    }

    std::intptr_t OnClose(std::uint32_t, std::uintptr_t wParam, std::intptr_t, bool& handled) override {
        PrintLine("close " + std::to_string(wParam));
        handled = false;
        return 0;
    }

    std::intptr_t OnDestroy(std::uint32_t, std::uintptr_t, std::intptr_t, bool& handled) override {
        GetWindowSystem().PostQuit(0);
        handled = false;
        return 0;
    }

private:
    std::uint32_t m_boxFlags;
    bool m_painted = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: zd_window_sample SKIN_FOLDER [--size W,H] [--box FLAGS] [--icon PNG]...\n", stderr);
        return 2;
    }
    int width = -1;
    int height = -1;
    std::uint32_t boxFlags = kMbYesNo | kMbIconQuestion;
    std::vector<std::vector<std::uint8_t>> icons;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--icon") == 0) {
            std::ifstream file(argv[i + 1], std::ios::binary);
            icons.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        }
        if (std::strcmp(argv[i], "--size") == 0) std::sscanf(argv[i + 1], "%d,%d", &width, &height);
        if (std::strcmp(argv[i], "--box") == 0)
            boxFlags = static_cast<std::uint32_t>(std::strtoul(argv[i + 1], nullptr, 0));
    }
    std::unique_ptr<platform::GtkWindowSystem> system = platform::GtkWindowSystem::Open();
    if (system == nullptr) {
        std::fputs("no display\n", stderr);
        return 2;
    }
    ResourceSettings::SetResourceFolder(platform::ToWide(argv[1]));
    SampleWindow window(*system, boxFlags);
    if (window.Create(nullptr, L"WindowSample", kStyleVisible | kStyleCaption, 0) == nullptr) return 3;
    if (width > 0) window.ResizeClient(width, height);
    if (!icons.empty()) window.GetHWND()->SetIcons(icons);
    window.CenterWindow();
    PrintLine("window " + RectText(window.GetHWND()->GetWindowRect()));
    PrintLine("workarea " + RectText(window.GetHWND()->GetWorkArea()));
    const std::intptr_t code = window.ShowModal();
    PrintLine("modal " + std::to_string(code));
    return static_cast<int>(code);
}
