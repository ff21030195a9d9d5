#include "ui_toolkit/render/ImageLibrary.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "mkzip/ZipWriter.h"
#include "RenderFixture.h"
#include "support/TestFiles.h"
#include "ui_toolkit/core/ResourceFile.h"
#include "ui_toolkit/render/ImageEntry.h"
#include "ui_toolkit/render/ImageLoader.h"

namespace {

constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kBlue = 0xFF0000FF;

std::vector<std::uint32_t> PixelsOf(const ImageEntry& entry) {
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < entry.height; ++y) {
        for (int x = 0; x < entry.width; ++x) pixels.push_back(entry.GetPixel(x, y));
    }
    return pixels;
}

using ImageLibraryTest = RenderFixture;

// Each channel becomes channel * alpha / 255, rounded down.
TEST_F(ImageLibraryTest, PremultipliesAndNotesAlpha) {
    struct Case {
        std::uint32_t straight;
        std::uint32_t converted;
        bool hasAlpha;
    };
    const Case cases[] = {
        {0xFF123456, 0xFF123456, false}, {0x80FF8040, 0x80804020, true}, {0xFE030303, 0xFE020202, true},
        {0x01FFFFFF, 0x01010101, true},  {0x00FFFFFF, 0x00000000, true},
    };
    for (const Case& c : cases) {
        const std::string name = "p" + std::to_string(c.straight) + ".png";
        AddPicture(name, 2, 1, {0xFF000000, c.straight});
        const ImageEntry* entry = m_images.AddImage(platform::ToWide(name));
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_EQ(PixelsOf(*entry), (std::vector<std::uint32_t>{0xFF000000, c.converted})) << std::hex << c.straight;
        EXPECT_EQ(entry->hasAlpha, c.hasAlpha) << std::hex << c.straight;
    }
}

// The mask is compared with the converted value, so a half-transparent pixel
// is masked by its premultiplied value.
TEST_F(ImageLibraryTest, MaskClearsExactlyThatConvertedValue) {
    const StraightPixels pixels = {0xFFFF00FF, 0xFFFF00FE, 0x80FF00FF, 0xFF000000};
    AddPicture("m.png", 4, 1, pixels);
    struct Case {
        ArgbColor mask;
        std::vector<std::uint32_t> expected;
        bool hasAlpha;
    };
    const Case cases[] = {
        {0xFFFF00FF, {0, 0xFFFF00FE, 0x80800080, 0xFF000000}, true},
        {0x80800080, {0xFFFF00FF, 0xFFFF00FE, 0, 0xFF000000}, true},
        {0xFF000000, {0xFFFF00FF, 0xFFFF00FE, 0x80800080, 0}, true},
    };
    for (const Case& c : cases) {
        const ImageEntry* entry = m_images.AddImage(L"m.png", {}, c.mask);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(PixelsOf(*entry), c.expected) << std::hex << c.mask;
        EXPECT_EQ(entry->hasAlpha, c.hasAlpha);
        EXPECT_EQ(entry->mask, c.mask);
    }
    AddPicture("opaque.png", 2, 1, {0xFFFF00FE, 0xFF000000});
    const ImageEntry* opaque = m_images.AddImage(L"opaque.png", {}, 0xFFFF00FF);
    ASSERT_NE(opaque, nullptr);
    EXPECT_FALSE(opaque->hasAlpha);
}

TEST_F(ImageLibraryTest, ColourTypeMakesOnePixel) {
    const ImageEntry* half = m_images.AddImage(L"#80FF0000", kColorResourceType);
    ASSERT_NE(half, nullptr);
    EXPECT_EQ(half->width, 1);
    EXPECT_EQ(half->height, 1);
    EXPECT_EQ(half->GetPixel(0, 0), 0x80800000u);
    EXPECT_TRUE(half->hasAlpha);
    EXPECT_EQ(half->resourceType, kColorResourceType);
    const ImageEntry* green = m_images.AddImage(L"FF00FF00", kColorResourceType);
    ASSERT_NE(green, nullptr);
    EXPECT_EQ(green->GetPixel(0, 0), 0xFF00FF00u);
    EXPECT_FALSE(green->hasAlpha);
}

// A name is decoded once: the file changing on disk does not reach lookups,
// only an explicit AddImage reads it again.
TEST_F(ImageLibraryTest, DecodesEachNameOnce) {
    AddPicture("img/a.png", 1, 1, {kRed});
    const ImageEntry* first = m_images.GetImageEx(L"img/a.png");
    ASSERT_NE(first, nullptr);
    AddPicture("img/a.png", 1, 1, {kBlue});
    EXPECT_EQ(m_images.GetImageEx(L"img/a.png"), first);
    EXPECT_EQ(first->GetPixel(0, 0), kRed);

    const ImageEntry* replaced = m_images.AddImage(L"img/a.png");
    ASSERT_NE(replaced, nullptr);
    EXPECT_EQ(replaced->GetPixel(0, 0), kBlue);
    EXPECT_EQ(m_images.GetImage(L"img/a.png"), replaced);
    // Names are keys as written: another spelling is another picture.
    const ImageEntry* backslash = m_images.GetImageEx(L"img\\a.png");
    ASSERT_NE(backslash, nullptr);
    EXPECT_NE(backslash, replaced);
}

TEST_F(ImageLibraryTest, FailedAddKeepsTheStoredPicture) {
    AddPicture("a.png", 1, 1, {kRed});
    const ImageEntry* stored = m_images.AddImage(L"a.png");
    ASSERT_NE(stored, nullptr);
    const std::uint64_t stamp = m_images.GetStamp();
    WriteFileText(Path("a.png"), "broken");
    EXPECT_EQ(m_images.AddImage(L"a.png"), nullptr);
    EXPECT_EQ(m_images.GetImage(L"a.png"), stored);
    EXPECT_EQ(m_images.GetStamp(), stamp);
}

TEST_F(ImageLibraryTest, PicturesThatCannotBeHadAreNotStored) {
    WriteFileText(Path("junk.png"), "\x89PNG but nothing after");
    WriteFileText(Path("empty.png"), "");
    std::filesystem::create_directories(Path("folder.png"));
    for (const wchar_t* name : {L"junk.png", L"empty.png", L"missing.png", L"folder.png", L""}) {
        EXPECT_EQ(m_images.GetImageEx(name), nullptr) << platform::ToUtf8(name);
        EXPECT_EQ(m_images.GetImage(name), nullptr) << platform::ToUtf8(name);
    }
}

// Pictures have no 4 MiB limit; this one is a small PNG followed by padding.
TEST_F(ImageLibraryTest, PicturesMayBeLargerThanMarkup) {
    std::string bytes = EncodePng(1, 1, {kRed});
    bytes.resize(kMaxResourceFileSize + 1, '\0');
    WriteFileText(Path("big.png"), bytes);
    const ImageEntry* entry = m_images.GetImageEx(L"big.png");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->GetPixel(0, 0), kRed);
}

// A full path, such as a downloaded picture's, is not under the resource
// folder nor in the archive, and is then read as a plain file.
TEST_F(ImageLibraryTest, FullPathIsReadAsAPlainFile) {
    TempFolder elsewhere;
    WritePng(elsewhere / "banner.png", 1, 1, {kBlue});
    const std::wstring path = platform::ToWide(elsewhere / "banner.png");
    const ImageEntry* loose = m_images.GetImageEx(path);
    ASSERT_NE(loose, nullptr);
    EXPECT_EQ(loose->GetPixel(0, 0), kBlue);

    ZipWriter writer;
    writer.AddFile("img/bk.png", EncodePng(1, 1, {kRed}));
    const std::vector<std::uint8_t> archive = writer.Finish();
    WriteFileText(Path("skin.zip"), std::string(archive.begin(), archive.end()));
    ASSERT_TRUE(ResourceSettings::SetResourceArchiveFile(L"skin.zip"));
    ImageLibrary archived;
    const ImageEntry* fromArchive = archived.GetImageEx(L"img\\BK.png");
    ASSERT_NE(fromArchive, nullptr);
    EXPECT_EQ(fromArchive->GetPixel(0, 0), kRed);
    const ImageEntry* plain = archived.GetImageEx(path);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->GetPixel(0, 0), kBlue);
}

// The test program's own resource table holds a 2 × 2 picture as PNG 7.
TEST_F(ImageLibraryTest, ExecutableResourceByNumber) {
    const ImageEntry* entry = m_images.AddImage(L"7", L"PNG");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(PixelsOf(*entry), (std::vector<std::uint32_t>{kRed, 0xFF00FF00, kBlue, 0x80808080}));
    EXPECT_TRUE(entry->hasAlpha);
    EXPECT_EQ(entry->resourceType, L"PNG");
    EXPECT_NE(m_images.AddImage(L"7th", L"PNG"), nullptr);
    for (const auto& [name, type] :
         {std::pair{L"8", L"PNG"}, std::pair{L"x7", L"PNG"}, std::pair{L"7", L"GIF"}, std::pair{L"7", L""}}) {
        EXPECT_EQ(m_images.AddImage(name, type), nullptr) << platform::ToUtf8(name) << " " << platform::ToUtf8(type);
    }
}

TEST_F(ImageLibraryTest, OwnTableComesBeforeTheSharedOne) {
    AddPicture("s.png", 1, 1, {kRed});
    ASSERT_NE(m_images.AddImage(L"s.png", {}, 0, false, true), nullptr);
    ImageLibrary other;
    ASSERT_NE(other.GetImage(L"s.png"), nullptr);
    EXPECT_EQ(other.GetImage(L"s.png")->GetPixel(0, 0), kRed);

    AddPicture("s.png", 1, 1, {kBlue});
    EXPECT_EQ(m_images.GetImageEx(L"s.png")->GetPixel(0, 0), kRed);
    ASSERT_NE(m_images.AddImage(L"s.png"), nullptr);
    EXPECT_EQ(m_images.GetImage(L"s.png")->GetPixel(0, 0), kBlue);
    EXPECT_EQ(other.GetImage(L"s.png")->GetPixel(0, 0), kRed);

    m_images.RemoveAllImages();
    EXPECT_EQ(m_images.GetImage(L"s.png")->GetPixel(0, 0), kRed);
    ImageLibrary::RemoveAllSharedImages();
    EXPECT_EQ(m_images.GetImage(L"s.png"), nullptr);
    EXPECT_EQ(other.GetImage(L"s.png"), nullptr);
}

// The stamp moves when a stored entry may have been freed, not when one is added.
TEST_F(ImageLibraryTest, StampMarksReplacedOrRemovedEntries) {
    AddPicture("a.png", 1, 1, {kRed});
    std::uint64_t stamp = m_images.GetStamp();
    ASSERT_NE(m_images.AddImage(L"a.png"), nullptr);
    EXPECT_EQ(m_images.GetStamp(), stamp);
    const auto changes = [&](const char* what) {
        EXPECT_NE(m_images.GetStamp(), stamp) << what;
        stamp = m_images.GetStamp();
    };
    m_images.AddImage(L"a.png");
    changes("own entry replaced");
    m_images.AddImage(L"a.png", {}, 0, false, true);
    EXPECT_EQ(m_images.GetStamp(), stamp);
    m_images.AddImage(L"a.png", {}, 0, false, true);
    changes("shared entry replaced");
    ImageLibrary::RemoveAllSharedImages();
    changes("shared table emptied");
    m_images.RemoveAllImages();
    changes("own table emptied");
    EXPECT_NE(ImageLibrary().GetStamp(), stamp);
}

}  // namespace
