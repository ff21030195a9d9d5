#include "TestPictures.h"

#include <stb/stb_image_write.h>

#include <filesystem>

#include "support/TestFiles.h"

namespace {

void Append(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

}  // namespace

std::string EncodePng(int width, int height, const StraightPixels& pixels) {
    std::vector<std::uint8_t> rgba;
    rgba.reserve(pixels.size() * 4);
    for (std::uint32_t pixel : pixels) {
        rgba.insert(rgba.end(), {static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8),
                                 static_cast<std::uint8_t>(pixel), static_cast<std::uint8_t>(pixel >> 24)});
    }
    std::string png;
    stbi_write_png_to_func(Append, &png, width, height, 4, rgba.data(), width * 4);
    return png;
}

void WritePng(const std::string& path, int width, int height, const StraightPixels& pixels) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteFileText(path, EncodePng(width, height, pixels));
}
