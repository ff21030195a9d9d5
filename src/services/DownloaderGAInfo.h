#pragma once
// The analytics payload as a plain record; texts are UTF-8.

#include <string>
#include <vector>

struct DownloaderGAEvent {
    std::string name;
    std::string event_category;
    std::string event_label;
};

struct DownloaderGAInfo {
    std::string client_id;
    std::string uid;
    std::vector<DownloaderGAEvent> events;
};
