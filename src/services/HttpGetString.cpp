#include "services/HttpGetString.h"

#include "http_kit/WinHttpRequest.h"

std::string HttpGetString(const std::wstring& url) {
    CWinHttpRequest request;
    request.SetVerb(L"GET");
    if (!request.OpenHttpUrl(url)) return {};
    return request.ReadAll();
}
