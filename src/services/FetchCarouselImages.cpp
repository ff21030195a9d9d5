#include "services/FetchCarouselImages.h"

#include <cstdio>
#include <vector>

#include "http_kit/WinHttpRequest.h"
#include "platform/TextConversion.h"
#include "services/CarouselResponse.h"
#include "services/FileMd5.h"
#include "services/HttpGetString.h"
#include "services/ICarouselWindow.h"
#include "shell/LanguageManager.h"
#include "shell/Log.h"
#include "shell/StringUtil.h"

namespace {

bool SameChecksum(const std::string& computed, const std::string& listed) {
    if (computed.size() != listed.size()) return false;
    for (std::size_t i = 0; i < computed.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(computed[i]) != lower(listed[i])) return false;
    }
    return true;
}

bool CanBeRead(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::fclose(file);
    return true;
}

// Keeps the local copy when its checksum matches the listed one; otherwise
// replaces it with a fresh download, which is not checked: a broken copy
// differs and is fetched again next time.
void UpdateImage(const ImageInfo& image, const std::wstring& filePath) {
    const std::string path = platform::ToUtf8(filePath);
    if (CanBeRead(path)) {
        if (SameChecksum(FileMd5(filePath), image.md5)) return;
        std::remove(path.c_str());
    }
    CWinHttpRequest request;
    if (!request.OpenHttpUrl(AnsiToWide(image.url)) || !request.SaveToFile(filePath)) {
        LogWrite("FetchCarouselImages", __FILE__, __LINE__, kLogError, "download image failed, url[%s], filePath[%s].",
                 image.url.c_str(), path.c_str());
    }
}

}  // namespace

void FetchCarouselImages(const LanguageManager& languages, ICarouselWindow& window) {
    FetchCarouselImages(languages, languages.GetCarouselUrl(), window);
}

void FetchCarouselImages(const LanguageManager& languages, const std::wstring& apiUrl, ICarouselWindow& window) {
    LogWrite("FetchCarouselImages", __FILE__, __LINE__, kLogInfo, "get image start.");
    CarouselResult result;
    std::vector<ImageInfo> images;
    ParseCarouselResponse(result, images, HttpGetString(apiUrl));
    if (result.code == 1) {
        window.SetBannerCount(static_cast<int>(images.size()));
        const std::wstring folder = languages.GetLanguageFolder() + languages.GetLanguageName() + L"/";
        for (std::size_t n = 1; n <= images.size(); ++n) {
            UpdateImage(images[n - 1], folder + L"pr_" + std::to_wstring(n) + L".png");
        }
    }
    window.GetCarouselReady().exchange(true);
    LogWrite("FetchCarouselImages", __FILE__, __LINE__, kLogInfo, "get image finished.");
}
