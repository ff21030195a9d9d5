#pragma once
// The progress text of zdl: percent, bytes, speed and time left.

#include <cstdint>
#include <string>

std::string FormatBytes(std::int64_t bytes);

// "42.0%  26.9 MiB / 64.0 MiB  12.5 MiB/s  ETA 3s"; without a known size the
// percent and the time left are left out.
std::string ProgressLine(std::int64_t downloaded, std::int64_t total, int bytesPerSecond);
