#pragma once
// Process and program helpers of the shell.

#include <string>
#include <sys/types.h>

// The first process, in the system's order, whose image name equals the name
// exactly (letter case counts); names are cut to 63 characters first.
bool FindProcess(const std::wstring& imageName, pid_t* pid);

bool KillProcess(pid_t pid);

// Opens a web address or file with the desktop's default program.
void OpenUrl(const std::wstring& target);

// asAdmin: started with this program's rights; otherwise as the interactive
// user on whose behalf this program runs.
void RunProgram(const std::wstring& path, bool asAdmin);
