// zskin on a sample skin of its own: the rectangles it prints follow the
// layout rules, and the pictures it renders show what the skin describes.
#include <gtest/gtest.h>

#include <rapidjson/document.h>
#include <stb/stb_image.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/Processes.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

namespace {

using Rect = std::array<int, 4>;

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;

    std::uint32_t At(int x, int y) const {
        const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
        return static_cast<std::uint32_t>(p[3]) << 24 | p[0] << 16 | p[1] << 8 | p[2];
    }
};

class ZskinTest : public ::testing::Test {
protected:
    int Run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), ZD_ZSKIN_EXE);
        const auto pid = platform::SpawnProcess(arguments);
        return pid ? platform::WaitProcess(*pid).value_or(-1) : -1;
    }

    // Every named control's rectangle; visibility in `visible`.
    std::map<std::string, Rect> Layout(std::vector<std::string> options, const std::string& skin = ZD_ZSKIN_SKIN) {
        std::vector<std::string> arguments = {"layout", skin, "skin.xml", "-o", folder / "layout.json"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        EXPECT_EQ(Run(arguments), 0);
        rapidjson::Document json;
        json.Parse(ReadFileText(folder / "layout.json").c_str());
        std::map<std::string, Rect> rects;
        if (!json.IsObject() || !json.HasMember("controls")) {
            ADD_FAILURE() << "no layout printed";
            return rects;
        }
        width = json["window"]["width"].GetInt();
        height = json["window"]["height"].GetInt();
        for (const auto& control : json["controls"].GetArray()) {
            const auto& r = control["rect"];
            const std::string name = control["name"].GetString();
            rects[name] = Rect{r[0].GetInt(), r[1].GetInt(), r[2].GetInt(), r[3].GetInt()};
            visible[name] = control["visible"].GetBool();
        }
        return rects;
    }

    Picture Render(std::vector<std::string> options, const std::string& skin = ZD_ZSKIN_SKIN) {
        std::vector<std::string> arguments = {"render", skin, "skin.xml", "-o", folder / "out.png"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        EXPECT_EQ(Run(arguments), 0);
        Picture picture;
        int channels = 0;
        stbi_uc* pixels = stbi_load((folder / "out.png").c_str(), &picture.width, &picture.height, &channels, 4);
        if (pixels == nullptr) {
            ADD_FAILURE() << "no picture written";
            return picture;
        }
        picture.rgba.assign(pixels, pixels + static_cast<std::size_t>(picture.width) * picture.height * 4);
        stbi_image_free(pixels);
        return picture;
    }

    TempFolder folder;
    int width = 0;
    int height = 0;
    std::map<std::string, bool> visible;
};

TEST_F(ZskinTest, LayoutFollowsTheSkin) {
    const auto rects = Layout({});
    EXPECT_EQ(width, 300);
    EXPECT_EQ(height, 200);
    EXPECT_EQ(rects.at("title"), (Rect{0, 0, 300, 40}));
    EXPECT_EQ(rects.at("logo"), (Rect{10, 10, 50, 30}));
    EXPECT_EQ(rects.at("closebtn"), (Rect{278, 10, 290, 22}));
    // The caption label stretches between them.
    EXPECT_EQ(rects.at("caption"), (Rect{50, 10, 278, 40}));
    EXPECT_EQ(rects.at("pages"), (Rect{0, 40, 300, 200}));
    EXPECT_EQ(rects.at("welcome"), (Rect{20, 60, 280, 84}));
    EXPECT_EQ(rects.at("agree"), (Rect{20, 94, 40, 124}));
    EXPECT_TRUE(visible.at("start"));
    EXPECT_FALSE(visible.at("progress"));
}

TEST_F(ZskinTest, SelectAndSetChangeWhatIsLaidOut) {
    const auto rects = Layout({"--select", "pages=1", "--set", "bar.height=20", "--size", "400x300"});
    EXPECT_EQ(width, 400);
    EXPECT_EQ(height, 300);
    EXPECT_FALSE(visible.at("start"));
    EXPECT_EQ(rects.at("status"), (Rect{20, 100, 380, 124}));
    EXPECT_EQ(rects.at("bar"), (Rect{20, 132, 380, 152}));
}

TEST_F(ZskinTest, RenderShowsPicturesColoursAndTheProgressFill) {
    const Picture start = Render({});
    ASSERT_EQ(start.width, 300);
    ASSERT_EQ(start.height, 200);
    EXPECT_EQ(start.At(30, 20), 0xFF574DEDu);   // the logo picture
    EXPECT_EQ(start.At(284, 16), 0xFF808080u);  // the close button's picture
    EXPECT_EQ(start.At(27, 109), 0xFF20A020u);  // the checked box in its dest box
    EXPECT_EQ(start.At(150, 180), 0xFFF4F4FAu); // the page's colour
    EXPECT_EQ(start.At(0, 20), 0xFFCCCCCCu);    // the window border, where no child paints over it

    const Picture progress = Render({"--select", "pages=1", "--set", "bar.value=70"});
    EXPECT_EQ(progress.At(150, 180), 0xFF303050u);
    // 70 % of the 260-pixel bar from x 20: white up to 202, the bar colour after.
    EXPECT_EQ(progress.At(201, 138), 0xFFFFFFFFu);
    EXPECT_EQ(progress.At(202, 138), 0xFF574DEDu);
}

TEST_F(ZskinTest, ReadsTheSkinFromAnArchiveToo) {
    const auto folderRects = Layout({});
    const auto archiveRects = Layout({}, ZD_ZSKIN_ARCHIVE);
    EXPECT_EQ(archiveRects, folderRects);
    EXPECT_EQ(Render({}, ZD_ZSKIN_ARCHIVE).At(30, 20), 0xFF574DEDu);
}

TEST_F(ZskinTest, ErrorsAreReported) {
    EXPECT_EQ(Run({"render", ZD_ZSKIN_SKIN, "skin.xml"}), 2);  // no output named
    EXPECT_EQ(Run({"layout", ZD_ZSKIN_SKIN, "missing.xml"}), 2);
    EXPECT_EQ(Run({"layout", folder / "nowhere", "skin.xml"}), 2);
    EXPECT_EQ(Run({"layout", ZD_ZSKIN_SKIN, "skin.xml", "-o", folder / "x.json", "--set", "nobody.text=x"}), 1);
    EXPECT_EQ(Run({"layout", ZD_ZSKIN_SKIN, "skin.xml", "-o", folder / "x.json", "--select", "title=1"}), 1);
    EXPECT_EQ(Run({"layout", ZD_ZSKIN_SKIN, "skin.xml", "--size", "0x5"}), 2);
}

}  // namespace
