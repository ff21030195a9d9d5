// Builds an installer-sized control tree (the start page, the progress page
// and the folder panel: 77 controls in 680 x 440) from markup, lays it
// out and paints it in full, many times, and prints the median and the
// fastest time of each step in microseconds.
// Measures and prints; asserts nothing.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "ui_toolkit/builder/SkinBuilder.h"
#include "ui_toolkit/core/UiMessages.h"
#include "ui_toolkit/host/HeadlessWindow.h"
#include "ui_toolkit/host/PaintManagerClient.h"
#include "ui_toolkit/manager/PaintManager.h"

namespace {

using Clock = std::chrono::steady_clock;

// Leaf controls of the real skin are plain controls here, with the same
// sizes, colours and a picture where the real one has one.
std::wstring InstallerSizedSkin() {
    std::wstring dots;
    for (int i = 0; i < 10; ++i) {
        dots += L"<Control name=\"option_" + std::to_wstring(i) +
                L"\" width=\"8\" height=\"8\" bkimage=\"color='#FFCCCCCC'\"/>";
    }
    return LR"(<Window size="680,440" sizebox="4,4,4,4" caption="0,0,0,290">
<VerticalLayout bkcolor="#FFFFFFFF" bordersize="1" bordercolor="#00CCCCCC">
 <HorizontalLayout height="32" bkcolor="#FF999999" visible="false"><Control/><Control/><HorizontalLayout/></HorizontalLayout>
 <TabLayout name="switch">
  <HorizontalLayout><VerticalLayout bkimage="color='#FFF4F4FA'">
   <HorizontalLayout height="66" inset="40,24,30,0">
    <Control width="86" height="28" padding="0,6" bkimage="color='#FF574DED'"/><Control height="64"/>
    <HorizontalLayout width="46" height="42" childpadding="10">
     <Control name="minbtn" width="18" height="18" bkimage="color='#FF888888'"/>
     <Control name="closebtn" width="18" height="18" bkimage="color='#FF888888'"/>
    </HorizontalLayout>
   </HorizontalLayout>
   <VerticalLayout childpadding="0">
    <Control height="28"/>
    <HorizontalLayout height="136"><Control/><Control width="95" height="136" bkimage="color='#FF574DED'"/><Control/></HorizontalLayout>
    <Control height="36"/>
    <HorizontalLayout height="42"><HorizontalLayout/>
     <Control name="btn_install" width="178" height="42" bkcolor="#FF574DED" borderround="4,4"/>
     <Control name="btn_start" width="178" height="42" visible="false"/><HorizontalLayout/></HorizontalLayout>
    <HorizontalLayout height="36"><HorizontalLayout/><Control width="520" height="36" visible="false"/><HorizontalLayout/></HorizontalLayout>
    <VerticalLayout/>
   </VerticalLayout>
   <VerticalLayout height="46" inset="40,0,40,0"><HorizontalLayout/>
    <HorizontalLayout height="30"><Control width="20" bkimage="file='#FF574DED' restype='*COLOR*' dest='0,8,14,22'"/>
     <Control/><Control width="200" bkimage="color='#FF574DED' dest='182,8,196,22'"/></HorizontalLayout>
    <HorizontalLayout/></VerticalLayout>
   <Control height="25"/>
  </VerticalLayout></HorizontalLayout>
  <HorizontalLayout><VerticalLayout>
   <HorizontalLayout><TabLayout>
    <VerticalLayout bkimage="color='#FF303050'"><Control/>
     <HorizontalLayout height="70" childpadding="1"><VerticalLayout childpadding="1">
      <HorizontalLayout inset="40,0,0,0"><Control visible="false"/><Control/></HorizontalLayout>
      <Control height="31"/><Control height="12" bkcolor="#FF574DED" bkcolor2="#FF8F88F5"/>
     </VerticalLayout></HorizontalLayout>
    </VerticalLayout>
    <VerticalLayout><Control width="360"/></VerticalLayout>
   </TabLayout></HorizontalLayout>
   <HorizontalLayout float="true" pos="40,264,260,294" childpadding="8">)" +
           dots + LR"(<Control/></HorizontalLayout>
  </VerticalLayout></HorizontalLayout>
 </TabLayout>
 <VerticalLayout height="75" visible="false"><VerticalLayout height="1"/>
  <VerticalLayout inset="40,21,40,0">
   <HorizontalLayout height="32" childpadding="15"><Control/><Control height="32"/>
    <Control width="250" height="32" bordercolor="#FFE0E0E0" bordersize="1" borderround="2,2"/>
    <Control width="90" height="32" bkimage="color='#FFDDDDDD'"/><Control/></HorizontalLayout>
   <HorizontalLayout inset="165,0,0,0"><Control visible="false"/></HorizontalLayout>
  </VerticalLayout></VerticalLayout>
</VerticalLayout></Window>)";
}

double Microseconds(Clock::duration duration) { return std::chrono::duration<double, std::micro>(duration).count(); }

void Report(const char* what, std::vector<double>& samples) {
    std::sort(samples.begin(), samples.end());
    std::printf("%-40s median %9.1f us   fastest %9.1f us   (%zu runs)\n", what, samples[samples.size() / 2],
                samples.front(), samples.size());
}

}  // namespace

int main() {
    const std::wstring skin = InstallerSizedSkin();
    constexpr int kRuns = 300;
    std::vector<double> build, layout, paint;
    std::size_t controls = 0;

    for (int run = 0; run < kRuns; ++run) {
        HeadlessWindow window(680, 440);
        PaintManager manager;
        PaintManagerClient client(manager);
        window.SetClient(&client);
        manager.Init(&window);

        const Clock::time_point start = Clock::now();
        SkinBuilder builder;
        builder.Load(skin);
        std::unique_ptr<CControlUI> root = builder.Build(nullptr, &manager);
        const Clock::time_point built = Clock::now();

        CControlUI* tree = root.get();
        manager.AttachRoot(std::move(root));
        tree->SetPos(window.GetClientRect(), false);
        const Clock::time_point laidOut = Clock::now();

        // The first paint does the manager's own first layout; measure a
        // full repaint of the laid-out tree after it.
        window.RunPending();
        manager.Invalidate();
        const Clock::time_point paintStart = Clock::now();
        window.Send(kMsgPaint);
        const Clock::time_point painted = Clock::now();

        build.push_back(Microseconds(built - start));
        layout.push_back(Microseconds(laidOut - built));
        paint.push_back(Microseconds(painted - paintStart));
        if (run == 0) {
            tree->FindControl([&controls](CControlUI*, const void*) -> CControlUI* {
                ++controls;
                return nullptr;
            }, nullptr, kFindAll);
        }
    }
    std::printf("installer-sized window: %zu controls, 680 x 440\n", controls);
    Report("build from markup (parse + create + attributes)", build);
    Report("layout of the whole tree", layout);
    Report("full paint of 680 x 440", paint);
    return 0;
}
