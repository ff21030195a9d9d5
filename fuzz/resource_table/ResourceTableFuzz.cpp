// Any bytes as a resource table, and what decodes must encode back the same.
#include "platform/ExecutableResources.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto table = platform::DecodeResourceTable(data, size);
    if (!table) return 0;
    const auto encoded = platform::EncodeResourceTable(*table);
    const auto again = platform::DecodeResourceTable(encoded.data(), encoded.size());
    if (!again || again->size() != table->size()) __builtin_trap();
    for (std::size_t i = 0; i < table->size(); ++i) {
        if ((*again)[i].type != (*table)[i].type || (*again)[i].bytes != (*table)[i].bytes) __builtin_trap();
    }
    return 0;
}
