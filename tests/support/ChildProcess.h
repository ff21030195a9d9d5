#pragma once
// A program started for a test and stopped (SIGTERM, then SIGKILL after a
// grace period) when the object goes away. Its output goes to a log file.

#include <string>
#include <sys/types.h>
#include <vector>

class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::string& logFile);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    // False once the program has exited.
    bool Running();
    void Stop();

private:
    pid_t pid_ = -1;
};

// A TCP port on 127.0.0.1 that was free a moment ago.
unsigned short PickFreePort();

// Waits until something accepts on 127.0.0.1:port; false after `timeoutMs`
// or when `process` has exited.
bool WaitForPort(unsigned short port, ChildProcess& process, int timeoutMs = 10000);

// The whole file, or "" when it cannot be read.
std::string ReadLog(const std::string& path);
