// zres: lists, extracts and replaces the resources of a built installer, so a
// build can be re-branded per channel or product without recompiling. The
// build itself uses "pack" to make the table it links in.
#include "platform/ExecutableResources.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

using platform::Resource;
using platform::ResourceTable;

constexpr const char* kUsage =
    "usage: zres list EXE\n"
    "       zres extract EXE TYPE ID FILE\n"
    "       zres replace EXE TYPE ID FILE   (adds the resource when it is missing)\n"
    "       zres pack TABLE (TYPE ID FILE)...\n"
    "TYPE is a resource type such as ZIPRES, RT_RCDATA, RT_GROUP_ICON, RT_VERSION.\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "zres: %s\n", message.c_str());
    return 1;
}

std::optional<int> ParseId(const std::string& text) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return std::atoi(text.c_str());
}

std::optional<std::vector<std::uint8_t>> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

std::optional<ResourceTable> ReadTable(const std::string& exe) {
    auto table = platform::ReadResourceTable(exe);
    if (!table) Fail(exe + ": not an executable with a resource table");
    return table;
}

int List(const std::string& exe) {
    const auto table = ReadTable(exe);
    if (!table) return 1;
    for (const Resource& resource : *table) {
        std::printf("%-14s %6d %10zu\n", resource.type.c_str(), resource.id, resource.bytes.size());
    }
    return 0;
}

int Extract(const std::string& exe, const std::string& type, int id, const std::string& file) {
    const auto table = ReadTable(exe);
    if (!table) return 1;
    const Resource* resource = platform::FindResource(*table, type, id);
    if (!resource) return Fail("no resource " + type + " " + std::to_string(id) + " in " + exe);
    if (!WriteFile(file, resource->bytes)) return Fail("cannot write " + file);
    return 0;
}

int Replace(const std::string& exe, const std::string& type, int id, const std::string& file) {
    auto table = ReadTable(exe);
    if (!table) return 1;
    auto bytes = ReadFile(file);
    if (!bytes) return Fail("cannot read " + file);
    bool replaced = false;
    for (Resource& resource : *table) {
        if (resource.type == type && resource.id == id) {
            resource.bytes = std::move(*bytes);
            replaced = true;
            break;
        }
    }
    if (!replaced) table->push_back(Resource{type, id, std::move(*bytes)});
    if (!platform::WriteResourceTable(exe, *table)) return Fail("cannot rewrite " + exe);
    return 0;
}

int Pack(const std::string& output, const std::vector<std::string>& triples) {
    ResourceTable table;
    for (std::size_t i = 0; i + 2 < triples.size(); i += 3) {
        const auto id = ParseId(triples[i + 1]);
        if (!id) return Fail("bad resource id " + triples[i + 1]);
        auto bytes = ReadFile(triples[i + 2]);
        if (!bytes) return Fail("cannot read " + triples[i + 2]);
        table.push_back(Resource{triples[i], *id, std::move(*bytes)});
    }
    const std::string temporary = output + ".new";
    if (!WriteFile(temporary, platform::EncodeResourceTable(table)) ||
        std::rename(temporary.c_str(), output.c_str()) != 0) {
        return Fail("cannot write " + output);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const std::string command = args.empty() ? "" : args[0];
    if (command == "list" && args.size() == 2) return List(args[1]);
    if ((command == "extract" || command == "replace") && args.size() == 5) {
        const auto id = ParseId(args[3]);
        if (!id) return Fail("bad resource id " + args[3]);
        return command == "extract" ? Extract(args[1], args[2], *id, args[4]) : Replace(args[1], args[2], *id, args[4]);
    }
    if (command == "pack" && args.size() >= 2 && (args.size() - 2) % 3 == 0) {
        return Pack(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
    }
    std::fputs(kUsage, command == "--help" || command == "-h" ? stdout : stderr);
    return command == "--help" || command == "-h" ? 0 : 2;
}
