// Runs a fuzz target without libFuzzer: every seed file once, then random
// mutations of the seeds until -max_total_time=N seconds have passed. Takes the
// same command line as libFuzzer, so the smoke test reads the same either way.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using Input = std::vector<std::uint8_t>;

void AddSeeds(const std::filesystem::path& path, std::vector<Input>& seeds) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path, ec)) {
            if (entry.is_regular_file()) AddSeeds(entry.path(), seeds);
        }
        return;
    }
    std::ifstream in(path, std::ios::binary);
    if (in) seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Run(const Input& input) {
    LLVMFuzzerTestOneInput(input.empty() ? nullptr : input.data(), input.size());
}

Input Mutate(const std::vector<Input>& seeds, std::mt19937& rng) {
    Input input = seeds[rng() % seeds.size()];
    const int edits = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < edits; ++i) {
        const std::size_t at = input.empty() ? 0 : rng() % (input.size() + 1);
        switch (rng() % 5) {
            case 0:  // flip a bit
                if (at < input.size()) input[at] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
                break;
            case 1:  // a byte that often matters to parsers
                if (at < input.size()) {
                    static const std::uint8_t kInteresting[] = {0,   0xFF, 0x7F, 0x80, '<', '>',
                                                                '=', '"',  '\n', '/',  '\\'};
                    input[at] = kInteresting[rng() % sizeof kInteresting];
                }
                break;
            case 2:  // truncate
                input.resize(at);
                break;
            case 3:  // insert random bytes
                input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), 1 + rng() % 16,
                             static_cast<std::uint8_t>(rng()));
                break;
            default: {  // splice in a piece of another seed
                const Input& other = seeds[rng() % seeds.size()];
                if (other.empty()) break;
                const std::size_t from = rng() % other.size();
                const std::size_t length = 1 + rng() % (other.size() - from);
                input.insert(input.begin() + static_cast<std::ptrdiff_t>(at),
                             other.begin() + static_cast<std::ptrdiff_t>(from),
                             other.begin() + static_cast<std::ptrdiff_t>(from + length));
            }
        }
    }
    return input;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 0;
    std::vector<Input> seeds;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "-max_total_time=", 16) == 0) {
            seconds = std::atof(argv[i] + 16);
        } else if (argv[i][0] != '-') {
            AddSeeds(argv[i], seeds);
        }
    }
    if (seeds.empty()) seeds.emplace_back();
    for (const Input& seed : seeds) Run(seed);

    std::mt19937 rng(12345);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::uint64_t runs = seeds.size();
    while (std::chrono::steady_clock::now() < end) {
        for (int i = 0; i < 256; ++i, ++runs) Run(Mutate(seeds, rng));
    }
    std::printf("standalone fuzz driver: %llu inputs from %zu seeds, no crash\n", static_cast<unsigned long long>(runs),
                seeds.size());
    return 0;
}
