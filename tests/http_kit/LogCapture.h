#pragma once
// The process's log, set up in a folder of its own on first use, and what
// was written to it since a mark.

#include <string>

class LogCapture {
public:
    LogCapture();
    // Everything logged since this object was made.
    std::string Written() const;

private:
    std::size_t start_;
};
