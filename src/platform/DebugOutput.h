#pragma once
// Stands for OutputDebugString: the text goes to standard error, unchanged.

#include <string_view>

namespace platform {

void OutputDebugText(std::string_view text);

}  // namespace platform
