#pragma once
// Unpacking an archive into a folder, as the language archive is at every start.

#include <cstddef>
#include <cstdint>
#include <string>

// A name is safe to unpack when it stays inside the target folder: not
// absolute, no drive prefix, no ".." component (with '\' counted as '/').
bool IsSafeEntryName(const std::wstring& name);

// Unpacks every entry in archive order into `folder` (ending in '/'): an entry
// of size 0 becomes a folder, any other is written whole, replacing a file of
// the same name. Entries with unsafe names, entries that cannot be unpacked or
// written are skipped. Returns the number of entries unpacked; -1 when the
// bytes are not an archive.
int ExtractArchiveToFolder(const std::uint8_t* bytes, std::size_t length, const std::wstring& folder);
