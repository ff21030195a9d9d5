// mkzip OUT.zip [--root DIR] [--stored] ENTRY...
//
// Writes a ZIP archive of the ENTRY paths (relative to DIR, default the current
// folder) in the order given; an ENTRY ending in '/' is a folder entry. The
// output is reproducible (see ZipWriter) and replaces OUT atomically: it is
// written to a temporary file beside OUT and renamed over it, so a failed or
// interrupted run leaves any earlier OUT untouched.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "mkzip/ZipWriter.h"

namespace {

namespace fs = std::filesystem;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

void PrintUsage(std::FILE* to) {
    std::fputs(
        "usage: mkzip OUT.zip [--root DIR] [--stored] ENTRY...\n"
        "  Each ENTRY is a path relative to DIR (default: the current folder), stored\n"
        "  under that name; an ENTRY ending in '/' is a folder entry. Entries are\n"
        "  written in the order given. Files are deflated unless --stored is given.\n",
        to);
}

// Entry names must stay inside the archive's root when it is unpacked.
bool IsSafeEntryName(std::string_view name) {
    if (name.empty() || name.front() == '/') return false;
    std::size_t start = 0;
    while (start < name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string_view::npos) end = name.size();
        const std::string_view part = name.substr(start, end - start);
        if (part == ".." || part == "." || (part.empty() && end != name.size())) return false;
        start = end + 1;
    }
    return true;
}

bool ReadFile(const fs::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Writes `bytes` to a temporary file beside `path`, flushes it to disk and
// renames it over `path`.
bool WriteAtomically(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    fs::path temporary = path;
    temporary += ".tmp." + std::to_string(getpid());
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "mkzip: cannot create '%s': %s\n", temporary.c_str(), std::strerror(errno));
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fflush(file) == 0 && ok;
    ok = fsync(fileno(file)) == 0 && ok;
    const int error = errno;
    ok = std::fclose(file) == 0 && ok;
    if (ok && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    std::fprintf(stderr, "mkzip: cannot write '%s': %s\n", path.c_str(), std::strerror(ok ? errno : error));
    std::remove(temporary.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        PrintUsage(stdout);
        return 0;
    }
    if (argc < 2 || argv[1][0] == '-') {
        PrintUsage(stderr);
        return kExitUsage;
    }
    const fs::path output = argv[1];
    fs::path root = ".";
    ZipWriter::Method method = ZipWriter::Method::kDeflate;
    std::vector<std::string> entries;
    bool optionsEnded = false;
    for (int i = 2; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument == "--root") {
            if (++i == argc) {
                std::fputs("mkzip: --root needs a folder\n", stderr);
                return kExitUsage;
            }
            root = argv[i];
        } else if (!optionsEnded && argument == "--stored") {
            method = ZipWriter::Method::kStored;
        } else if (!optionsEnded && argument.size() > 1 && argument.front() == '-') {
            std::fprintf(stderr, "mkzip: unknown option '%s'\n", argv[i]);
            PrintUsage(stderr);
            return kExitUsage;
        } else {
            entries.emplace_back(argument);
        }
    }
    if (entries.empty()) {
        std::fputs("mkzip: no entries given\n", stderr);
        PrintUsage(stderr);
        return kExitUsage;
    }

    ZipWriter writer;
    std::set<std::string> seen;
    std::string bytes;
    for (const std::string& entry : entries) {
        if (!IsSafeEntryName(entry)) {
            std::fprintf(stderr, "mkzip: entry '%s' is not a relative path inside the root\n", entry.c_str());
            return kExitFailure;
        }
        if (!seen.insert(entry).second) {
            std::fprintf(stderr, "mkzip: entry '%s' is given twice\n", entry.c_str());
            return kExitFailure;
        }
        const fs::path source = root / entry;
        std::error_code error;
        const bool isFolder = entry.back() == '/';
        if (isFolder) {
            if (!fs::is_directory(source, error)) {
                std::fprintf(stderr, "mkzip: folder '%s' does not exist\n", source.c_str());
                return kExitFailure;
            }
        } else if (!fs::exists(source, error)) {
            std::fprintf(stderr, "mkzip: file '%s' does not exist\n", source.c_str());
            return kExitFailure;
        } else if (!fs::is_regular_file(source, error) || !ReadFile(source, bytes)) {
            std::fprintf(stderr, "mkzip: cannot read file '%s'\n", source.c_str());
            return kExitFailure;
        }
        const bool added = isFolder ? writer.AddFolder(entry) : writer.AddFile(entry, bytes, method);
        if (!added) {
            std::fprintf(stderr, "mkzip: entry '%s' does not fit in a ZIP archive\n", entry.c_str());
            return kExitFailure;
        }
    }
    return WriteAtomically(output, writer.Finish()) ? 0 : kExitFailure;
}
