#pragma once
// Reading and decoding pictures into image entries.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "ui_toolkit/core/UiTypes.h"
#include "ui_toolkit/render/ImageEntry.h"

// The resource type that makes a picture of one pixel whose colour is the
// picture's name, read as hexadecimal.
inline constexpr std::wstring_view kColorResourceType = L"*COLOR*";

// Decodes PNG, GIF (first frame), JPEG or BMP bytes. Pixels are premultiplied
// (channel * alpha / 255, rounded down); then a pixel whose premultiplied value
// equals `mask` becomes 0. Null when the bytes do not decode.
std::unique_ptr<ImageEntry> DecodeImage(const std::uint8_t* bytes, std::size_t size, ArgbColor mask);

// Gets the picture named `name` and decodes it:
// - type kColorResourceType: one pixel of the colour `name` (an optional '#');
// - another non-empty type: the executable resource of that type whose number
//   is the decimal `name` (a name not starting with a digit names none);
// - no type: the named file through the resource settings (loose file or
//   archive entry), else `name` as a plain file path.
// Null when the picture cannot be read or decoded.
std::unique_ptr<ImageEntry> LoadImageEntry(std::wstring_view name, std::wstring_view resourceType, ArgbColor mask,
                                           bool hsl);

// The bytes of the picture `name` as LoadImageEntry reads them.
bool ReadPictureBytes(std::wstring_view name, std::wstring_view resourceType, std::vector<std::uint8_t>* bytes);

// The frames of an animated picture and how long each is shown.
struct AnimatedPicture {
    std::vector<std::unique_ptr<ImageEntry>> frames;
    // Hundredths of a second per frame; empty for a still picture.
    std::vector<int> delays;
};

// Reads the picture `name` like a file picture and decodes every frame of a
// GIF, or the one frame of any other picture. Null when it cannot be read or
// decoded.
std::unique_ptr<AnimatedPicture> LoadAnimatedPicture(std::wstring_view name);
