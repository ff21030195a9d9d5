#pragma once

#include <string>

// The MD5 of the file's bytes as 32 lower-case hexadecimal digits; empty when
// the file cannot be opened or read through.
std::string FileMd5(const std::wstring& filePath);
