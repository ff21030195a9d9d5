#pragma once
// Small file helpers for tests.

#include <string>

std::string ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& bytes);

// UTF-16LE with a byte-order mark, as the shipped ini files are written.
std::string Utf16LeWithBom(const std::wstring& text);

// Runs a shell command line; its exit status (or -1 when it could not run).
int RunCommand(const std::string& commandLine);

// The folder of the build, for the executables the tests run.
std::string BuildFolder();
