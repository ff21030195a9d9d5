#include "ui_toolkit/render/ImageLoader.h"

#include <cairo.h>
#include <stb/stb_image.h>

#include <climits>
#include <string>
#include <vector>

#include "platform/TextConversion.h"
#include "ui_toolkit/core/AttributeValues.h"
#include "ui_toolkit/core/ResourceFile.h"

namespace {

// The decoder takes its input length as an int, so no larger picture file can
// be decoded; reading one would only waste memory.
constexpr std::size_t kMaxPictureFileSize = INT_MAX;
// The largest side of a cairo image surface.
constexpr int kMaxPictureSide = 32767;

// Builds the entry from straight RGBA bytes, four per pixel, top row first.
std::unique_ptr<ImageEntry> MakeEntry(const std::uint8_t* rgba, int width, int height, ArgbColor mask) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    auto entry = std::make_unique<ImageEntry>();
    entry->bitmap = surface;
    entry->width = width;
    entry->height = height;
    entry->mask = mask;

    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* in = rgba + (static_cast<std::size_t>(y) * width + x) * 4;
            std::uint32_t red = in[0], green = in[1], blue = in[2];
            const std::uint32_t alpha = in[3];
            if (alpha < 255) {
                red = red * alpha / 255;
                green = green * alpha / 255;
                blue = blue * alpha / 255;
                entry->hasAlpha = true;
            }
            std::uint32_t pixel = alpha << 24 | red << 16 | green << 8 | blue;
            if (pixel == mask) {
                pixel = 0;
                entry->hasAlpha = true;
            }
            row[x] = pixel;
        }
    }
    cairo_surface_mark_dirty(surface);
    return entry;
}

std::unique_ptr<ImageEntry> MakeColorEntry(std::wstring_view name, ArgbColor mask) {
    const ArgbColor color = ParseColor(name);
    const std::uint8_t rgba[4] = {RedOf(color), GreenOf(color), BlueOf(color), AlphaOf(color)};
    return MakeEntry(rgba, 1, 1, mask);
}

// A name that is not a skin file may be a full path, such as a downloaded
// banner picture's.
bool ReadPictureFile(std::wstring_view name, std::vector<std::uint8_t>* bytes) {
    std::wstring path(name);
    for (wchar_t& c : path) {
        if (c == L'\\') c = L'/';
    }
    return ReadPlainFile(platform::ToUtf8(path), kMaxPictureFileSize, bytes, nullptr);
}

}  // namespace

bool ReadPictureBytes(std::wstring_view name, std::wstring_view resourceType, std::vector<std::uint8_t>* bytes) {
    if (!resourceType.empty()) {
        if (name.empty() || name[0] < L'0' || name[0] > L'9') return false;
        return ReadExecutableResource(ParseInt(name), platform::ToUtf8(resourceType), bytes);
    }
    if (ReadResourceFile(name, bytes, nullptr, kMaxPictureFileSize)) return true;
    return ReadPictureFile(name, bytes);
}

std::unique_ptr<ImageEntry> DecodeImage(const std::uint8_t* bytes, std::size_t size, ArgbColor mask) {
    if (bytes == nullptr || size == 0 || size > kMaxPictureFileSize) return nullptr;
    const int length = static_cast<int>(size);
    int width = 0, height = 0, channels = 0;
    // Sizes a surface cannot hold are refused before anything is decoded.
    if (!stbi_info_from_memory(bytes, length, &width, &height, &channels)) return nullptr;
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) return nullptr;
    stbi_uc* rgba = stbi_load_from_memory(bytes, length, &width, &height, &channels, 4);
    if (rgba == nullptr) return nullptr;
    std::unique_ptr<ImageEntry> entry = MakeEntry(rgba, width, height, mask);
    stbi_image_free(rgba);
    return entry;
}

std::unique_ptr<ImageEntry> LoadImageEntry(std::wstring_view name, std::wstring_view resourceType, ArgbColor mask,
                                           bool hsl) {
    std::unique_ptr<ImageEntry> entry;
    if (resourceType == kColorResourceType) {
        entry = MakeColorEntry(name, mask);
    } else {
        std::vector<std::uint8_t> bytes;
        if (!ReadPictureBytes(name, resourceType, &bytes)) return nullptr;
        entry = DecodeImage(bytes.data(), bytes.size(), mask);
    }
    if (entry == nullptr) return nullptr;
    entry->hsl = hsl;
    entry->resourceType = resourceType;
    return entry;
}

std::unique_ptr<AnimatedPicture> LoadAnimatedPicture(std::wstring_view name) {
    std::vector<std::uint8_t> bytes;
    if (!ReadPictureBytes(name, {}, &bytes) || bytes.size() > kMaxPictureFileSize) return nullptr;
    auto picture = std::make_unique<AnimatedPicture>();
    const int length = static_cast<int>(bytes.size());
    int width = 0, height = 0, frames = 0, channels = 0;
    int* delays = nullptr;
    if (stbi_info_from_memory(bytes.data(), length, &width, &height, &channels) && width > 0 && height > 0 &&
        width <= kMaxPictureSide && height <= kMaxPictureSide) {
        stbi_uc* rgba =
            stbi_load_gif_from_memory(bytes.data(), length, &delays, &width, &height, &frames, &channels, 4);
        if (rgba != nullptr) {
            const std::size_t frameBytes = static_cast<std::size_t>(width) * height * 4;
            for (int i = 0; i < frames; ++i) {
                std::unique_ptr<ImageEntry> frame = MakeEntry(rgba + frameBytes * i, width, height, 0);
                if (frame == nullptr) break;
                picture->frames.push_back(std::move(frame));
                // The decoder gives milliseconds; the frame table keeps hundredths.
                picture->delays.push_back(delays != nullptr ? delays[i] / 10 : 0);
            }
            stbi_image_free(rgba);
            stbi_image_free(delays);
        }
    }
    if (picture->frames.empty()) {
        // Not an animation: a still picture of one frame and no delay table.
        std::unique_ptr<ImageEntry> still = DecodeImage(bytes.data(), bytes.size(), 0);
        if (still == nullptr) return nullptr;
        picture->frames.push_back(std::move(still));
        picture->delays.clear();
    }
    return picture;
}
