#pragma once
// What a download is started with. The defaults are those of a fresh record;
// the driver overrides several of them per task.

#include <cstdint>
#include <string>

#include "download_engine/proxy_settings.h"
#include "download_engine/request_opts.h"
#include "download_engine/storage.h"

namespace dlengine {

struct settings {
    int download_rate_limit = -1;  // bytes per second for all connections; -1 none
    int connections_limit = 5;     // -1 means 5
    int piece_size = -1;           // -1: default_piece_size(file size)
    int time_out = 11;             // seconds without progress before a connection is reopened
    int request_piece_num = 10;    // pieces a range handed to a connection spans at most
    std::wstring meta_file;        // resume file; empty: file name + ".cfg"
    bool meta_url = true;          // take the final URL from the resume file
    bool disable_multi_download = false;
    std::wstring save_path;  // the data file
    bool check_certificate = true;
    std::string ca_file;                // PEM authorities trusted instead of the system store
    storage_factory storage = nullptr;  // none: default_storge
    request_opts opts;                  // extra headers and options of every request
    proxy_settings proxy;
};

}  // namespace dlengine
