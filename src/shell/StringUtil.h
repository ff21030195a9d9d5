#pragma once
// String helpers of the shell. Wide text is std::wstring; the 8-bit code page
// is UTF-8.

#include <string>

// Every occurrence, left to right; scanning resumes after the inserted
// replacement, so a replacement is never scanned again.
std::wstring ReplaceAll(std::wstring text, const std::wstring& pattern, const std::wstring& replacement);

// Splits at the first separator. Without one: left = text, right = empty, false.
bool SplitOnce(const std::wstring& text, const std::wstring& separator, std::wstring* left, std::wstring* right);

// Host and path of an address that contains "http://" or "https://": the
// scheme's length is cut from the front, then the rest splits at its first '/'
// (false when there is none: host = rest). An address with neither scheme
// returns true and leaves host and path unchanged.
bool SplitUrl(const std::wstring& address, std::wstring* host, std::wstring* path);

// The text after the last '/' or '\'; empty for an empty path.
std::wstring FileNameOfPath(const std::wstring& path);

// A file name without the text from its last '.' on (the whole name without a dot).
std::wstring FileBaseName(const std::wstring& fileName);

// address + "&custom=" + tag when the address contains "key=" and the tag is
// not empty; an empty address stays empty; otherwise the address unchanged.
std::wstring AppendCustomParam(const std::wstring& address, const std::wstring& tag);

std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);
