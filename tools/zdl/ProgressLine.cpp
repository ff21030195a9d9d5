#include "ProgressLine.h"

#include <cstdio>

std::string FormatBytes(std::int64_t bytes) {
    static const char* const kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    double value = static_cast<double>(bytes);
    int unit = 0;
    while (value >= 1024 && unit < 4) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", value, kUnits[unit]);
    return text;
}

std::string ProgressLine(std::int64_t downloaded, std::int64_t total, int bytesPerSecond) {
    std::string line;
    char text[64];
    if (total > 0) {
        std::snprintf(text, sizeof text, "%5.1f%%  ",
                      100.0 * static_cast<double>(downloaded) / static_cast<double>(total));
        line += text;
    }
    line += FormatBytes(downloaded);
    if (total >= 0) line += " / " + FormatBytes(total);
    line += "  " + FormatBytes(bytesPerSecond) + "/s";
    if (total > 0 && bytesPerSecond > 0 && downloaded <= total) {
        const std::int64_t seconds = (total - downloaded) / bytesPerSecond;
        if (seconds >= 3600) {
            std::snprintf(text, sizeof text, "  ETA %lldh%02lldm", static_cast<long long>(seconds / 3600),
                          static_cast<long long>(seconds / 60 % 60));
        } else if (seconds >= 60) {
            std::snprintf(text, sizeof text, "  ETA %lldm%02llds", static_cast<long long>(seconds / 60),
                          static_cast<long long>(seconds % 60));
        } else {
            std::snprintf(text, sizeof text, "  ETA %llds", static_cast<long long>(seconds));
        }
        line += text;
    }
    return line;
}
