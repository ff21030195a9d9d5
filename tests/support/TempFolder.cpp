#include "support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

TempFolder::TempFolder() {
    char pattern[] = "/tmp/zd-test-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
