#pragma once
// Stands for ShellExecute "open" and WdcRunTaskAsInteractiveUser.

#include <string>

namespace platform {

// Hands a web address or file to xdg-open, found on PATH; not waited for.
// False when no xdg-open could be started.
bool OpenWithDefaultApplication(const std::string& target);

// Starts the program with no arguments, not waited for. When this process runs
// as root on behalf of a user (PKEXEC_UID, else SUDO_UID / SUDO_GID) the child
// drops to that user first, so the program does not run with our rights.
bool RunAsInteractiveUser(const std::string& path);

// Starts the program with no arguments and this process's rights, not waited for.
bool RunProgram(const std::string& path);

}  // namespace platform
