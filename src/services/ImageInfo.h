#pragma once
// One banner picture of the carousel answer; texts as received.

#include <string>

struct ImageInfo {
    std::string url;
    std::string md5;  // hexadecimal, either case
};
