#pragma once
// Reading of profile (ini) files: "[Section]" lines, then "key=value" lines.
// Files are UTF-16LE with a byte-order mark or 8-bit (UTF-8); CR LF or LF line
// ends. A line splits at its first '='; blanks around key and value are not
// part of them; a line without '=' is a key with an empty value. Section and
// key names match ignoring ASCII letter case, as the profile functions do.

#include <map>
#include <string>
#include <utility>
#include <vector>

using IniEntries = std::vector<std::pair<std::wstring, std::wstring>>;

// The entries of the first section of that name, in file order (duplicates kept).
IniEntries ParseIniSection(const std::string& fileBytes, const std::wstring& section);

// The value of the first matching key, cut to 255 characters as a 256-character
// buffer holds; empty when the file, the section or the key is missing.
std::wstring ReadIniString(const std::wstring& file, const std::wstring& section, const std::wstring& key);

// Merges the section into the map: a later entry overwrites an earlier value.
// The section is read as a 4096-character buffer would hold it (entries as
// "key=value\0", the last one cut where the buffer ends).
void ReadIniSection(const std::wstring& file, const std::wstring& section, std::map<std::wstring, std::wstring>& map);
