#pragma once
// A folder of files for the real test servers to serve.

#include <string>

#include "support/TempFolder.h"
#include "support/TestFiles.h"

namespace dlengine {

// 64 KiB of bytes that differ from offset to offset, so a misplaced range
// shows.
inline std::string PatternContent(std::size_t size = 64 * 1024) {
    std::string content(size, '\0');
    for (std::size_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 131 + i / 256) & 0xff);
    return content;
}

class PeerFiles {
public:
    PeerFiles() { WriteFileText(root_ / "file.bin", content_); }
    const std::string& root() const { return root_.path(); }
    const std::string& content() const { return content_; }

private:
    TempFolder root_;
    std::string content_ = PatternContent();
};

}  // namespace dlengine
