// A skinned window on the GTK host, for the host's tests to drive from
// outside: it prints what the window hears, one line each, on stdout.
//
//   notify TYPE NAME [TEXT]   a notification (TEXT: the sender's text)
//   rect NAME L T R B         a named control's place, after the first layout
//   posted N misordered M paints P   the result of the posting run (--post)
//   close CODE                a close message; the program ends with CODE + 10
//   dblclk X Y KEYS           a double click (KEYS: the key state)
//   wheel DELTA X Y           a turn of the mouse wheel
//
// With --post, 4 threads post 10 000 calls each while a timer keeps the
// window painting; every burst of 1 000 waits until a paint happened after
// it was posted.

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/TextConversion.h"
#include "platform/gtk/GtkHost.h"
#include "platform/gtk/GtkMainLoop.h"
#include "ui_toolkit/builder/SkinBuilder.h"
#include "ui_toolkit/core/UiMessages.h"
#include "ui_toolkit/host/PaintManagerClient.h"
#include "ui_toolkit/manager/PaintManager.h"

namespace {

constexpr const wchar_t* kSkin =
    LR"(<Window size="400,300">
  <VerticalLayout bkcolor="#FF2060C0">
    <Control name="banner" height="100" bkcolor="#FFC03020"/>
    <Button name="ok" float="true" pos="20,130,140,170" bkcolor="#FF20A040" hotbkcolor="#FF20A040"
            pushedbkcolor="#FF20A040" text="OK"
            tooltip="Accepts the name"/>
    <Button name="quit" float="true" pos="260,130,380,170" bkcolor="#FF808080" hotbkcolor="#FF808080"
            pushedbkcolor="#FF808080" text="Quit"/>
    <Edit name="name" float="true" pos="20,200,380,230" bkcolor="#FFFFFFFF" textcolor="#FF000000"/>
    <Control name="ticker" float="true" pos="360,260,380,280" bkcolor="#FF000000"/>
  </VerticalLayout>
</Window>)";

constexpr int kThreads = 4;
constexpr int kCallsPerThread = 10000;
constexpr int kBurst = 1000;
constexpr std::uint32_t kTickerTimer = 7;

void PrintLine(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

// The window procedure of the sample: counts paints and ends the loop on a
// close message, everything else goes to the manager.
class SampleClient : public NativeWindowClient {
public:
    SampleClient(PaintManager& manager, platform::GtkMainLoop& loop) : m_inner(manager), m_loop(loop) {}

    std::intptr_t HandleMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
        if (message == kMsgClose) {
            PrintLine("close " + std::to_string(wParam));
            m_loop.Quit(static_cast<int>(wParam) + 10);
            return 0;
        }
        if (message == kMsgLButtonDblClk) {
            PrintLine("dblclk " + std::to_string(PointParamX(lParam)) + " " + std::to_string(PointParamY(lParam)) +
                      " " + std::to_string(wParam));
        }
        if (message == kMsgMouseWheel) {
            PrintLine("wheel " + std::to_string(static_cast<std::int16_t>(wParam >> 16)) + " " +
                      std::to_string(PointParamX(lParam)) + " " + std::to_string(PointParamY(lParam)));
        }
        const std::intptr_t result = m_inner.HandleMessage(message, wParam, lParam);
        if (message == kMsgPaint) {
            {
                std::lock_guard<std::mutex> lock(paintMutex);
                ++paints;
            }
            painted.notify_all();
        }
        return result;
    }

    std::mutex paintMutex;
    std::condition_variable painted;
    int paints = 0;

private:
    PaintManagerClient m_inner;
    platform::GtkMainLoop& m_loop;
};

class Sample : public INotifyUI {
public:
    Sample(platform::GtkHost& host, PaintManager& manager, SampleClient& client, bool post)
        : m_host(host), m_manager(manager), m_client(client), m_post(post) {}

    ~Sample() {
        for (std::thread& thread : m_threads) thread.join();
    }

    void Notify(Notification& n) override {
        const std::string name = n.sender != nullptr ? platform::ToUtf8(n.sender->GetName()) : "";
        if (n.type == L"windowinit") {
            for (const wchar_t* control : {L"banner", L"ok", L"quit", L"name", L"ticker"}) {
                const UiRect r = m_manager.FindControl(control)->GetPos();
                PrintLine("rect " + platform::ToUtf8(control) + " " + std::to_string(r.left) + " " +
                          std::to_string(r.top) + " " + std::to_string(r.right) + " " + std::to_string(r.bottom));
            }
            m_manager.SetTimer(m_manager.FindControl(L"ticker"), kTickerTimer, m_post ? 10 : 50);
            if (m_post) StartPosting();
        }
        if (n.type == L"timer") {
            // Keeps the window painting: the ticker blinks on every tick.
            CControlUI* ticker = n.sender;
            ticker->SetBkColor(ticker->GetBkColor() == 0xFF000000 ? 0xFFFFFF00 : 0xFF000000);
            if (m_post) return;
        }
        if (n.type == L"click" && name == "quit") m_host.PostMessage(kMsgClose, 2, 0);
        std::string line = "notify " + platform::ToUtf8(n.type) + " " + name;
        if (n.type == L"textchanged") line += " " + platform::ToUtf8(n.sender->GetText());
        PrintLine(line);
    }

private:
    void StartPosting() {
        {
            std::lock_guard<std::mutex> lock(m_client.paintMutex);
            m_paintsAtStart = m_client.paints;
        }
        for (int t = 0; t < kThreads; ++t) {
            m_threads.emplace_back([this, t] {
                for (int burst = 0; burst < kCallsPerThread / kBurst; ++burst) {
                    int paintsBefore = 0;
                    {
                        std::lock_guard<std::mutex> lock(m_client.paintMutex);
                        paintsBefore = m_client.paints;
                    }
                    for (int i = burst * kBurst; i < (burst + 1) * kBurst; ++i) {
                        m_host.Post([this, t, i] { Received(t, i); });
                    }
                    std::unique_lock<std::mutex> lock(m_client.paintMutex);
                    if (!m_client.painted.wait_for(lock, std::chrono::seconds(20),
                                                   [&] { return m_client.paints > paintsBefore; })) {
                        PrintLine("no paint while posting");
                        return;
                    }
                }
            });
        }
    }

    // On the window's thread only.
    void Received(int thread, int index) {
        if (index != m_next[thread]) ++m_misordered;
        m_next[thread] = index + 1;
        if (++m_received < kThreads * kCallsPerThread) return;
        int paints = 0;
        {
            std::lock_guard<std::mutex> lock(m_client.paintMutex);
            paints = m_client.paints - m_paintsAtStart;
        }
        PrintLine("posted " + std::to_string(m_received) + " misordered " + std::to_string(m_misordered) + " paints " +
                  std::to_string(paints));
    }

    platform::GtkHost& m_host;
    PaintManager& m_manager;
    SampleClient& m_client;
    bool m_post;
    std::vector<std::thread> m_threads;
    int m_next[kThreads] = {};
    int m_received = 0;
    int m_misordered = 0;
    int m_paintsAtStart = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const bool post = argc > 1 && std::strcmp(argv[1], "--post") == 0;
    std::unique_ptr<platform::GtkHost> host = platform::GtkHost::Create(320, 200);
    if (host == nullptr) {
        std::fputs("no display\n", stderr);
        return 1;
    }
    platform::GtkMainLoop loop;
    PaintManager manager;
    SampleClient client(manager, loop);
    host->SetClient(&client);
    host->SetTitle(L"GtkHostSample");
    host->Move(40, 30);
    manager.Init(host.get());

    SkinBuilder builder;
    if (!builder.Load(kSkin)) return 1;
    Sample sample(*host, manager, client, post);
    manager.AttachRoot(builder.Build(nullptr, &manager));
    manager.AddNotifier(&sample);
    host->Show(true);
    const int code = loop.Run().value_or(0);
    manager.RemoveNotifier(&sample);
    return code;
}
