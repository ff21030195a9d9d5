#include "services/GACollectUrl.h"

#ifndef ZD_GA_HOST
#define ZD_GA_HOST "analytics.zelmora.example"
#endif

namespace {

const wchar_t kHost[] = L"" ZD_GA_HOST;
const wchar_t kMeasurementId[] = L"G-ZT4K7Q2M9X";
const wchar_t kApiSecret[] = L"Zq8wLmR3vXn2KpT7bYc4Hd";

}  // namespace

std::wstring GetGACollectUrl() {
    return std::wstring(L"https://") + kHost + L"/mp/collect?measurement_id=" + kMeasurementId + L"&api_secret=" +
           kApiSecret;
}
