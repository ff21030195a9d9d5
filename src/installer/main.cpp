#include "installer/MainFrameWnd.h"
#include "installer/Startup.h"

#include <clocale>

int main() {
    // Text conversions and formatting use UTF-8 whatever the user's locale.
    std::setlocale(LC_CTYPE, "C.UTF-8");
    CMainFrameWnd frame;
    return RunInstaller(frame);
}
