// Downloads one address to a file with one HTTP client and prints the peak
// resident memory before and after, to show that a download's memory does
// not grow with the file. Measures and prints; asserts nothing.
//
//   http_client_memory_bench socket|wininet|winhttp URL FILE

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "http_kit/CreateHttp.h"
#include "platform/TextConversion.h"

namespace {

long PeakRssKib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s socket|wininet|winhttp URL FILE\n", argv[0]);
        return 2;
    }
    const char* names[] = {"socket", "wininet", "winhttp"};
    int type = -1;
    for (int i = 0; i < 3; ++i) {
        if (std::strcmp(argv[1], names[i]) == 0) type = i;
    }
    IHttpBase* client = nullptr;
    if (!CreateHttp(&client, type)) {
        std::fprintf(stderr, "unknown client %s\n", argv[1]);
        return 2;
    }
    const long before = PeakRssKib();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = client->DownloadFile(platform::ToWide(argv[2]).c_str(), platform::ToWide(argv[3]).c_str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long after = PeakRssKib();
    std::error_code error;
    const auto bytes = std::filesystem::file_size(argv[3], error);
    std::printf(
        "%-8s ok=%d error=%d bytes=%llu seconds=%.2f peak_rss_before_kib=%ld peak_rss_after_kib=%ld "
        "growth_kib=%ld\n",
        argv[1], ok ? 1 : 0, client->GetErrorCode(), error ? 0ULL : static_cast<unsigned long long>(bytes), seconds,
        before, after, after - before);
    client->FreeInstance();
    return ok ? 0 : 1;
}
