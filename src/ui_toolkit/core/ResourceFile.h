#pragma once
// Reading a named file (markup, included markup, pictures) through the
// process-wide resource settings, and reading an executable resource.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The largest file the toolkit reads by name, loose or from the archive.
inline constexpr std::size_t kMaxResourceFileSize = 4194304;

// Reads `name` into `bytes`: with no resource archive set, the loose file at
// resource folder + name; otherwise the archive entry `name`, looked up
// ignoring ASCII case with '\' taken as '/', from the cached archive or from
// the archive file opened for this read only. On failure `bytes` is empty and
// `error` holds one of: "Error opening file", "File is empty", "File too large",
// "Could not read file", "Error opening zip file", "Could not find ziped file",
// "Could not unzip file". "File too large" means more than `maxSize` bytes;
// markup keeps the default, pictures pass a larger bound. `bytes` must not be
// null; `error` may be.
bool ReadResourceFile(std::wstring_view name, std::vector<std::uint8_t>* bytes, std::wstring* error,
                      std::size_t maxSize = kMaxResourceFileSize);

// Reads the regular file at the file-system `path`, with the errors and the
// limit of ReadResourceFile's loose files.
bool ReadPlainFile(const std::string& path, std::size_t maxSize, std::vector<std::uint8_t>* bytes,
                   std::wstring* error);

// Reads resource `id` of `type` (for example "xml" or "ZIPRES") of the
// instance module into `bytes`; false, with `bytes` empty, when the module has
// no such resource.
bool ReadExecutableResource(int id, std::string_view type, std::vector<std::uint8_t>* bytes);
