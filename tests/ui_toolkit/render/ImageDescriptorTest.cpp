#include "ui_toolkit/render/ImageDescriptor.h"

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "platform/TextConversion.h"
#include "RenderFixture.h"
#include "support/TestFiles.h"
#include "ui_toolkit/render/ImageEntry.h"
#include "ui_toolkit/render/ImageLoader.h"

namespace {

// The fields a case expects: the defaults with a name, changed as chained.
struct Expect {
    explicit Expect(std::wstring name) { fields.name = std::move(name); }
    Expect& Type(std::wstring type) {
        fields.resourceType = std::move(type);
        return *this;
    }
    Expect& Dest(const UiRect& rect) {
        fields.dest = rect;
        return *this;
    }
    Expect& Source(const UiRect& rect) {
        fields.source = rect;
        return *this;
    }
    Expect& Corner(const UiRect& rect) {
        fields.corner = rect;
        return *this;
    }
    Expect& Mask(ArgbColor mask) {
        fields.mask = mask;
        return *this;
    }
    Expect& Fade(std::uint8_t fade) {
        fields.fade = fade;
        return *this;
    }
    Expect& Flags(bool hole, bool xtiled, bool ytiled, bool hsl) {
        fields.hole = hole;
        fields.xtiled = xtiled;
        fields.ytiled = ytiled;
        fields.hsl = hsl;
        return *this;
    }

    ImageDescriptorFields fields;
};

struct ParseCase {
    std::wstring text;
    Expect expected;
};

TEST(ImageDescriptorParseTest, ReadsEveryKey) {
    const ParseCase cases[] = {
        {L"img\\bk.png", Expect(L"img\\bk.png")},
        {L"file='img/checked.png' dest='0,8,14,22'", Expect(L"img/checked.png").Dest({0, 8, 14, 22})},
        {L"  file = 'a.png'   dest= '1,2,3,4' ", Expect(L"a.png").Dest({1, 2, 3, 4})},
        {L"dest='1,2,3,4' file='a.png'", Expect(L"a.png").Dest({1, 2, 3, 4})},
        {L"source='1,2,3,4' corner='4,3,2,1' file='a.png'", Expect(L"a.png").Source({1, 2, 3, 4}).Corner({4, 3, 2, 1})},
        {L"file='a.png' scale9='5,6,7,8'", Expect(L"a.png").Corner({5, 6, 7, 8})},
        {L"file='a.png' mask='#FFFF00FF'", Expect(L"a.png").Mask(0xFFFF00FF)},
        {L"file='a.png' mask='ff00ff'", Expect(L"a.png").Mask(0x00FF00FF)},
        {L"file='a.png' fade='128'", Expect(L"a.png").Fade(128)},
        {L"file='a.png' fade='300'", Expect(L"a.png").Fade(255)},
        {L"file='a.png' fade='-5'", Expect(L"a.png").Fade(0)},
        {L"file='a.png' hole='true' xtiled='true' ytiled='TRUE' hsl='true'",
         Expect(L"a.png").Flags(true, true, false, true)},
        {L"file='a.png' ytiled='true' hole='1'", Expect(L"a.png").Flags(false, false, true, false)},
        // Resource type only with res, and a colour makes a one-pixel picture.
        {L"res='101' restype='PNG'", Expect(L"101").Type(L"PNG")},
        {L"restype='PNG' res='101'", Expect(L"101").Type(L"PNG")},
        {L"file='a.png' restype='PNG'", Expect(L"a.png")},
        {L"color='#FF112233'", Expect(L"#FF112233").Type(std::wstring(kColorResourceType))},
        {L"color='#FF112233' file='b.png'", Expect(L"b.png")},
        // Empty values, unknown keys and keys in another case are ignored.
        {L"file='' dest='1,1,5,5'", Expect(L"file='' dest='1,1,5,5'").Dest({1, 1, 5, 5})},
        {L"file='a.png' bogus='1' dest='1,1,5,5'", Expect(L"a.png").Dest({1, 1, 5, 5})},
        {L"File='a.png' DEST='1,1,5,5'", Expect(L"File='a.png' DEST='1,1,5,5'")},
        // Any deviation ends the reading with what was read.
        {L"file='img/x.png'dest='1,1,2,2'", Expect(L"img/x.png")},
        {L"file='a.png'\tdest='1,1,2,2'", Expect(L"a.png")},
        {L"file='a.png' dest=\"1,1,2,2\" fade='1'", Expect(L"a.png")},
        {L"file='a.png' dest='1,1,2,2", Expect(L"a.png")},
        {L"file='a.png' dest 1 fade='1'", Expect(L"a.png")},
        {L"", Expect(L"")},
    };
    for (const ParseCase& c : cases) {
        const ImageDescriptorFields parsed = ParseImageDescriptor(c.text);
        EXPECT_EQ(parsed.name, c.expected.fields.name) << platform::ToUtf8(c.text);
        EXPECT_EQ(parsed.resourceType, c.expected.fields.resourceType) << platform::ToUtf8(c.text);
        EXPECT_TRUE(parsed == c.expected.fields) << platform::ToUtf8(c.text);
    }
}

// Cut anywhere, a descriptor keeps exactly the pairs that were complete: a
// pair counts once its closing quote is in.
TEST(ImageDescriptorParseTest, EveryCutKeepsTheCompletePairs) {
    struct Pair {
        std::wstring text;
        std::function<void(ImageDescriptorFields&)> apply;
    };
    const Pair pairs[] = {
        {L"file='a.png'", [](auto& f) { f.name = L"a.png"; }},
        {L"dest='1,2,3,4'",
         [](auto& f) {
             f.dest = UiRect{1, 2, 3, 4};
         }},
        {L"fade='7'", [](auto& f) { f.fade = 7; }},
        {L"hole='true'", [](auto& f) { f.hole = true; }},
    };
    std::wstring whole;
    for (const Pair& pair : pairs) whole += (whole.empty() ? L"" : L" ") + pair.text;
    for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
        const std::wstring text = whole.substr(0, cut);
        ImageDescriptorFields expected = Expect(text).fields;
        std::size_t end = 0;
        for (const Pair& pair : pairs) {
            end += (end == 0 ? 0 : 1) + pair.text.size();
            if (end <= cut) pair.apply(expected);
        }
        EXPECT_TRUE(ParseImageDescriptor(text) == expected) << "cut at " << cut;
    }
}

class ImageDescriptorTest : public RenderFixture {
protected:
    void SetUp() override {
        AddPicture("red.png", 1, 1, {0xFFFF0000});
        AddPicture("blue.png", 1, 1, {0xFF0000FF});
    }
};

TEST_F(ImageDescriptorTest, SameStringKeepsThePictureAndAnotherStartsOver) {
    ImageDescriptor descriptor;
    EXPECT_TRUE(descriptor.IsEmpty());
    descriptor.SetString(L"file='red.png' dest='1,2,3,4'");
    EXPECT_EQ(descriptor.GetImage(), nullptr);
    const ImageEntry* red = descriptor.Load(m_images);
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(descriptor.GetFields().dest, (UiRect{1, 2, 3, 4}));

    descriptor.SetString(L"file='red.png' dest='1,2,3,4'");
    EXPECT_EQ(descriptor.GetImage(), red);
    EXPECT_EQ(descriptor.GetFields().dest, (UiRect{1, 2, 3, 4}));

    descriptor.SetString(L"blue.png");
    EXPECT_EQ(descriptor.GetString(), L"blue.png");
    EXPECT_EQ(descriptor.GetImage(), nullptr);
    EXPECT_TRUE(descriptor.GetFields() == ImageDescriptorFields());
    ASSERT_NE(descriptor.Load(m_images), nullptr);
    EXPECT_EQ(descriptor.GetImage()->GetPixel(0, 0), 0xFF0000FFu);
}

TEST_F(ImageDescriptorTest, EmptyDescriptorNamesNothing) {
    ImageDescriptor descriptor;
    descriptor.SetString(L"");
    EXPECT_EQ(descriptor.Load(m_images), nullptr);
}

// A picture that failed is not looked for again, even once it exists, until
// the string is set again; a new descriptor with the same string finds it.
TEST_F(ImageDescriptorTest, BrokenPictureIsTriedOnce) {
    WriteFileText(Path("late.png"), "not a picture");
    ImageDescriptor broken;
    broken.SetString(L"file='late.png'");
    EXPECT_EQ(broken.Load(m_images), nullptr);
    EXPECT_EQ(m_images.GetImage(L"late.png"), nullptr);

    AddPicture("late.png", 1, 1, {0xFF00FF00});
    EXPECT_EQ(broken.Load(m_images), nullptr);
    EXPECT_EQ(m_images.GetImage(L"late.png"), nullptr);

    ImageDescriptor fresh;
    fresh.SetString(L"file='late.png'");
    EXPECT_NE(fresh.Load(m_images), nullptr);
    broken.SetString(L"file='late.png'");
    EXPECT_NE(broken.Load(m_images), nullptr);
}

// After the table dropped its picture, the descriptor looks the name up again
// instead of keeping a pointer to a freed entry.
TEST_F(ImageDescriptorTest, LooksAgainAfterTheTableChanged) {
    ImageDescriptor descriptor;
    descriptor.SetString(L"file='red.png'");
    ASSERT_NE(descriptor.Load(m_images), nullptr);

    AddPicture("red.png", 1, 1, {0xFF00FF00});
    m_images.RemoveAllImages();
    ASSERT_NE(descriptor.Load(m_images), nullptr);
    EXPECT_EQ(descriptor.GetImage()->GetPixel(0, 0), 0xFF00FF00u);

    AddPicture("red.png", 1, 1, {0xFFFFFF00});
    ASSERT_NE(m_images.AddImage(L"red.png"), nullptr);
    ASSERT_NE(descriptor.Load(m_images), nullptr);
    EXPECT_EQ(descriptor.GetImage()->GetPixel(0, 0), 0xFFFFFF00u);

    // Another manager's library has a table of its own.
    ImageLibrary other;
    AddPicture("red.png", 1, 1, {0xFF000000});
    ASSERT_NE(descriptor.Load(other), nullptr);
    EXPECT_EQ(descriptor.GetImage()->GetPixel(0, 0), 0xFF000000u);
}

}  // namespace
