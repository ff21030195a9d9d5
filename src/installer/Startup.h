#pragma once
// The installer's start-up: environment, single-instance decision, window.

#include <string>

class CMainFrameWnd;

// The name copies of the installer exclude each other by: the FileDescription
// of the program file's version resource, else its file name without the text
// from the last '.'. Copies under other file names still exclude each other.
std::wstring InstanceNameOf(const std::wstring& programPath);

// Runs the installer with `frame` and returns the process exit code: 0 after a
// normal run, -1 when another copy is running (that copy is asked to raise
// its window when its title is ours).
int RunInstaller(CMainFrameWnd& frame);
