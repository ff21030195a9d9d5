// A program the platform tests start as a real child. The first argument
// chooses what it does:
//   sleep                     waits until it is killed
//   exit N                    ends with status N
//   write-args FILE ARG...    writes every ARG followed by a NUL byte to FILE
//   write-module-path FILE    writes ModulePath() and ModuleFolder(), a line each
//   write-signals FILE        writes whether SIGPIPE is ignored and SIGUSR1 blocked

#include "platform/Folders.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

int WriteFile(const char* path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    return file.flush() ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string mode = argv[1];
    if (mode == "sleep") {
        for (;;) pause();
    }
    if (mode == "exit" && argc == 3) return std::atoi(argv[2]);
    if (mode == "write-args" && argc >= 3) {
        std::string text;
        for (int i = 3; i < argc; ++i) {
            text.append(argv[i]);
            text.push_back('\0');
        }
        return WriteFile(argv[2], text);
    }
    if (mode == "write-module-path" && argc == 3) {
        return WriteFile(argv[2], platform::ModulePath() + "\n" + platform::ModuleFolder() + "\n");
    }
    if (mode == "write-signals" && argc == 3) {
        struct sigaction pipeAction {};
        sigaction(SIGPIPE, nullptr, &pipeAction);
        sigset_t blocked;
        sigprocmask(SIG_SETMASK, nullptr, &blocked);
        const bool ignored = pipeAction.sa_handler == SIG_IGN;
        return WriteFile(argv[2], std::string("SIGPIPE ") + (ignored ? "ignored" : "default") +
                                      "\nSIGUSR1 " + (sigismember(&blocked, SIGUSR1) ? "blocked" : "open") + "\n");
    }
    return 2;
}
