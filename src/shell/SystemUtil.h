#pragma once
// Folder, file and system queries of the shell. None reports errors: each
// gives an empty string or false when the platform cannot answer.

#include <cstdint>
#include <string>

// The program-files folder with a trailing '/'; just "/" when there is none.
std::wstring GetProgramFilesDir();

// GetProgramFilesDir() + "zelmora_down/" + the program's file name without
// the text from its last '.' + "/".
std::wstring GetWorkDir();

// The running program's own file.
std::wstring GetModulePath();

// The running program's folder, ending in '/'.
std::wstring GetInstanceFolder();

// The file can be opened for reading.
bool FileExists(const std::wstring& path);

// The fixed file version of the file's version resource as "a.b.c.d"; empty
// without a version resource or without its "\VarFileInfo\Translation" value.
std::wstring GetFileVersionString(const std::wstring& path);

// "\StringFileInfo\040904b0\FileDescription" of the file's version resource;
// no other translation is tried. Empty when absent.
std::wstring GetFileDescription(const std::wstring& path);

// Total free bytes of the volume holding the path, in MiB (shifted right by
// 20, as a 32-bit count).
bool GetFreeSize(const std::wstring& path, std::uint32_t* freeMiB);

std::wstring GetWindowsProductName();
bool Is64BitSystem();

// The user's interface language id in decimal, e.g. "1033".
std::wstring GetUiLanguageCode();
