#pragma once
// PNG pictures made by the tests, from straight (not premultiplied) ARGB words
// 0xAARRGGBB, top row first.

#include <cstdint>
#include <string>
#include <vector>

using StraightPixels = std::vector<std::uint32_t>;

std::string EncodePng(int width, int height, const StraightPixels& pixels);

// Writes the picture to `path`, creating its folders.
void WritePng(const std::string& path, int width, int height, const StraightPixels& pixels);
