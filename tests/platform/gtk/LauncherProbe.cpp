// Says whether a launcher entry could be connected in the environment the
// program was started with. Anything else in its output came from the
// libraries beneath, which must stay quiet.

#include <cstdio>

#include "platform/gtk/LauncherProgress.h"

int main() {
    const bool connected = platform::LauncherProgress::Connect("zelmora-setup.desktop") != nullptr;
    std::puts(connected ? "connected" : "none");
    return 0;
}
