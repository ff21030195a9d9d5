// zdl: the download engine on the command line. Resumes from the .cfg/.tmp
// pair a stopped or killed run left beside the output file.
#include "ProgressLine.h"
#include "ProxyArgument.h"

#include "download_engine/DownloadManager.h"
#include "download_engine/utf8.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char* kUsage =
    "usage: zdl [-x N] [-o FILE] [--proxy URL] [--cacert FILE] [--limit-rate BYTES] URL\n"
    "  -x N               parallel connections (default 16)\n"
    "  -o FILE            output file (default: the last part of the URL's path)\n"
    "  --proxy URL        http://[user:password@]host:port, socks4://host:port or\n"
    "                     socks5://[user:password@]host:port\n"
    "  --cacert FILE      trust the authorities in this PEM file instead of the system's\n"
    "  --limit-rate BYTES bytes per second for all connections together\n"
    "Ctrl-C stops and keeps FILE.tmp and FILE.cfg; the next run with the same URL\n"
    "and FILE resumes.\n"
    "exit status: 0 complete, 2 incomplete (bytes missing), 4 error (the server or\n"
    "the file failed), 5 stopped, 1 usage\n";

constexpr int kConnectionTimeOutSeconds = 20;

std::atomic<bool> g_stopRequested{false};

void OnSignal(int) {
    g_stopRequested = true;
}

int Usage(const char* problem) {
    if (problem) std::fprintf(stderr, "zdl: %s\n", problem);
    std::fputs(kUsage, stderr);
    return 1;
}

std::string DefaultOutput(const std::string& url) {
    std::string path = url.substr(0, url.find_first_of("?#"));
    const std::size_t scheme = path.find("://");
    if (scheme != std::string::npos) path = path.substr(scheme + 3);
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? "" : path.substr(slash + 1);
    return name.empty() ? "index.html" : name;
}

}  // namespace

int main(int argc, char** argv) {
    int connections = 16;
    std::string output, url, caFile;
    int rateLimit = -1;
    DownloadManager& manager = DownloadManager::Instance();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "-x" && hasValue) {
            connections = std::atoi(argv[++i]);
            if (connections < 1 || connections > 64) return Usage("-x takes 1 to 64");
        } else if (arg == "-o" && hasValue) {
            output = argv[++i];
        } else if (arg == "--proxy" && hasValue) {
            const auto proxy = ParseProxyArgument(argv[++i]);
            if (!proxy) return Usage("bad --proxy address");
            manager.SetProxy(*proxy);
        } else if (arg == "--cacert" && hasValue) {
            caFile = argv[++i];
        } else if (arg == "--limit-rate" && hasValue) {
            rateLimit = std::atoi(argv[++i]);
            if (rateLimit <= 0) return Usage("--limit-rate takes a positive byte count");
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage(("unknown option " + arg).c_str());
        } else if (url.empty()) {
            url = arg;
        } else {
            return Usage("only one URL");
        }
    }
    if (url.empty()) return Usage("no URL");
    if (output.empty()) output = DefaultOutput(url);
    if (!caFile.empty()) manager.SetCaFile(caFile);
    if (rateLimit > 0) manager.SetRateLimit(rateLimit);

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    const TaskHandle task =
        manager.AddTask(url, dlengine::utf8_to_wide(output), connections, kConnectionTimeOutSeconds);
    manager.StartTask(task);

    const bool terminal = isatty(STDERR_FILENO);
    const auto period = std::chrono::milliseconds(terminal ? 250 : 2000);
    bool stopping = false;
    DownloadStatus status;
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (g_stopRequested && !stopping) {
            stopping = true;
            manager.StopTask(task);
        }
        manager.QueryTask(task, &status);
        if (!manager.IsTaskRunning(task) && status.state != kTask_Starting) break;
        static auto next = std::chrono::steady_clock::now();
        if (std::chrono::steady_clock::now() >= next && status.state == kTask_Running) {
            next = std::chrono::steady_clock::now() + period;
            const std::string line = ProgressLine(status.downloaded, status.total, status.speed);
            std::fprintf(stderr, terminal ? "\r%s\x1b[K" : "%s\n", line.c_str());
        }
    }
    manager.QueryTask(task, &status);
    if (terminal) std::fputc('\n', stderr);

    switch (status.state) {
        case kTask_Complete:
            std::fprintf(stderr, "zdl: %s complete, %s\n", output.c_str(), FormatBytes(status.total).c_str());
            return 0;
        case kTask_Incomplete:
            std::fprintf(stderr, "zdl: %s, %s of %s; run again to resume\n", stopping ? "stopped" : "incomplete",
                         FormatBytes(status.downloaded).c_str(), FormatBytes(status.total).c_str());
            return stopping ? 5 : 2;
        default:
            std::fprintf(stderr, "zdl: the download failed (the server refused, or the file could not be written)\n");
            return 4;
    }
}
