#include "services/FetchCarouselImages.h"

#include "http_kit/FixedPortRelay.h"
#include "http_kit/LogCapture.h"
#include "platform/HttpSession.h"
#include "platform/ScopedEnvironment.h"
#include "platform/TextConversion.h"
#include "services/ICarouselWindow.h"
#include "shell/LanguageManager.h"
#include "support/FaultServer.h"
#include "support/TempFolder.h"
#include "support/TestCertificate.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <mutex>

namespace {

constexpr char kAbcMd5Upper[] = "900150983CD24FB0D6963F7D28E17F72";  // MD5 of "abc"
constexpr char kFreshMd5[] = "76010858c8362d7302ef5f9436aa6639";

class RecordingWindow : public ICarouselWindow {
public:
    void SetBannerCount(int count) override {
        ++countWrites;
        bannerCount = count;
        readyWhenCounted = ready.load();
    }
    std::atomic<bool>& GetCarouselReady() override { return ready; }

    int bannerCount = -1;
    int countWrites = 0;
    bool readyWhenCounted = false;
    std::atomic<bool> ready{false};
};

// The carousel API and its pictures behind a trusted TLS server on 443, and a
// language folder for English with the product id 11.
class FetchCarouselImagesTest : public testing::Test {
protected:
    FetchCarouselImagesTest() {
        environment_.Set("LC_ALL", "C");
        for (const char* name : {"LANGUAGE", "LC_MESSAGES", "LANG"}) environment_.Unset(name);
        std::filesystem::create_directories(languageFolder_ + "English");
        WriteFileText(languageFolder_ + "language.ini", "[Language]\r\n1033=English\r\n");
        WriteFileText(languageFolder_ + "productInfo.ini", Utf16LeWithBom(L"[PRODUCT]\r\nSTR_PID = 11\r\n"));
        languages_.LoadLanguage(platform::ToWide(languageFolder_));
        platform::SetHttpTrustedAuthorities(certificate_.caFile());
    }
    ~FetchCarouselImagesTest() override { platform::SetHttpTrustedAuthorities(""); }

    // GetCarouselUrl's address with the host of the test's server.
    std::wstring ApiUrl() const {
        const std::wstring url = languages_.GetCarouselUrl();
        return L"https://127.0.0.1" + url.substr(url.find(L"/downloader/carousel"));
    }

    void Answer(const std::string& api) {
        std::lock_guard<std::mutex> lock(mutex_);
        api_ = api;
    }

    void Fetch() { FetchCarouselImages(languages_, ApiUrl(), window_); }

    std::string Picture(int n) const { return languageFolder_ + "English/pr_" + std::to_string(n) + ".png"; }
    std::map<std::string, std::string> Pictures() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(languageFolder_ + "English")) {
            files[entry.path().filename().string()] = ReadFileText(entry.path().string());
        }
        return files;
    }
    // The targets asked for besides the API.
    std::vector<std::string> PictureRequests() const {
        std::vector<std::string> targets;
        for (const std::string& request : server_.Requests()) {
            const std::string target = request.substr(4, request.find(' ', 4) - 4);
            if (target.rfind("/downloader/carousel", 0) != 0) targets.push_back(target);
        }
        return targets;
    }

    // Made first, so the log is set up in the capture's folder before the
    // language files are read, which may log.
    LogCapture log_;
    ScopedEnvironment environment_;
    TempFolder folder_;
    const std::string languageFolder_ = folder_ / "language/";
    LanguageManager languages_;
    RecordingWindow window_;
    std::mutex mutex_;
    std::string api_;
    FaultServer server_{[this](const FaultRequest& request, FaultConnection& connection) {
        std::string answer;
        if (request.target == "/downloader/carousel?pid=11&lang=English") {
            std::lock_guard<std::mutex> lock(mutex_);
            answer = fault::Ok(api_);
        } else if (request.target.rfind("/img/", 0) == 0) {
            answer = fault::Ok(request.target == "/img/fresh.png" ? "fresh" : "picture " + request.target.substr(5));
        } else {
            answer = fault::Response(404, "Not Found", {{"Content-Length", "0"}});
        }
        connection.Send(answer);
        connection.Close();
    }};
    const TestCertificate certificate_{folder_.path()};
    FixedPortRelay tls_{443, server_.port(), &certificate_};
};

TEST_F(FetchCarouselImagesTest, ThreeEntriesBecomeThreePicturesCountedBeforeTheFlag) {
    Answer(R"({"code":1,"message":"ok","data":{"list":[)"
           R"({"url":"https://127.0.0.1/img/a.png","md5":"x"},)"
           R"({"url":"https://127.0.0.1/img/b.png","md5":"x"},)"
           R"({"url":"https://127.0.0.1/img/c.png","md5":"x"}]}})");
    Fetch();
    EXPECT_EQ(Pictures(),
              (std::map<std::string, std::string>{
                  {"pr_1.png", "picture a.png"}, {"pr_2.png", "picture b.png"}, {"pr_3.png", "picture c.png"}}));
    EXPECT_EQ(window_.bannerCount, 3);
    EXPECT_EQ(window_.countWrites, 1);
    EXPECT_FALSE(window_.readyWhenCounted);
    EXPECT_TRUE(window_.ready);
    const std::string written = log_.Written();
    const std::size_t start = written.find("get image start.");
    EXPECT_NE(start, std::string::npos) << written;
    EXPECT_NE(written.find("get image finished.", start), std::string::npos) << written;
}

TEST_F(FetchCarouselImagesTest, AMatchingPictureIsKeptWhateverTheCaseOfItsChecksum) {
    WriteFileText(Picture(1), "abc");
    Answer(std::string(R"({"code":1,"data":{"list":[{"url":"https://127.0.0.1/img/a.png","md5":")") + kAbcMd5Upper +
           R"("}]}})");
    Fetch();
    EXPECT_EQ(ReadFileText(Picture(1)), "abc");
    EXPECT_TRUE(PictureRequests().empty());
    EXPECT_EQ(window_.bannerCount, 1);
}

TEST_F(FetchCarouselImagesTest, ADifferingPictureIsDeletedAndFetchedAgain) {
    WriteFileText(Picture(1), "stale, and longer than the fresh picture");
    WriteFileText(Picture(2), "stale");
    // The second entry has no address: its stale copy goes and nothing replaces it.
    Answer(std::string(R"({"code":1,"data":{"list":[{"url":"https://127.0.0.1/img/fresh.png","md5":")") + kFreshMd5 +
           R"("},{"md5":"x"}]}})");
    Fetch();
    EXPECT_EQ(Pictures(), (std::map<std::string, std::string>{{"pr_1.png", "fresh"}}));
    EXPECT_EQ(PictureRequests(), std::vector<std::string>{"/img/fresh.png"});
    EXPECT_EQ(window_.bannerCount, 2);
    EXPECT_NE(log_.Written().find("download image failed, url[], filePath[" + Picture(2) + "]."), std::string::npos)
        << log_.Written();
    EXPECT_TRUE(window_.ready);
}

TEST_F(FetchCarouselImagesTest, AnswersWithoutPicturesTouchNothingButTheFlag) {
    struct Case {
        const char* answer;
        int bannerCount;
    } cases[] = {
        {R"({"code":1,"data":{"list":[]}})", 0},
        {R"({"code":1})", 0},
        {R"({"code":"1","data":{"list":[{"url":"https://127.0.0.1/img/a.png"}]}})", -1},
        {R"({"code":0,"data":{"list":[{"url":"https://127.0.0.1/img/a.png"}]}})", -1},
        {R"({"code":1,"data":{"list":[{"url":"https://127.0.0.1/img/a.png"}]})", -1},  // cut short
        {"", -1},
    };
    WriteFileText(Picture(1), "kept");
    for (const Case& c : cases) {
        RecordingWindow window;
        Answer(c.answer);
        FetchCarouselImages(languages_, ApiUrl(), window);
        EXPECT_EQ(window.bannerCount, c.bannerCount) << c.answer;
        EXPECT_TRUE(window.ready) << c.answer;
        EXPECT_FALSE(window.readyWhenCounted) << c.answer;
    }
    EXPECT_EQ(Pictures(), (std::map<std::string, std::string>{{"pr_1.png", "kept"}}));
    EXPECT_TRUE(PictureRequests().empty());
}

TEST(FetchCarouselImagesUnreachableTest, NoServerStillRaisesTheFlag) {
    LanguageManager languages;
    RecordingWindow window;
    FetchCarouselImages(languages, L"https://127.0.0.1/downloader/carousel?pid=&lang=English", window);
    EXPECT_EQ(window.countWrites, 0);
    EXPECT_TRUE(window.ready);
}

}  // namespace
