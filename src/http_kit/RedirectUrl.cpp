#include "http_kit/RedirectUrl.h"

#include <cstdlib>

#include "platform/HttpSession.h"
#include "platform/TextConversion.h"
#include "shell/Log.h"

bool GetRedirectUrl(const std::wstring& host, const std::wstring& path, std::wstring& url) {
    auto session = platform::HttpSession::Open("", platform::HttpProxyMode::kDefault);
    if (!session) return false;
    session->SetRedirectPolicy(platform::HttpRedirectPolicy::kNever);
    auto connection = session->Connect(platform::ToUtf8(host), 80);
    if (!connection) return false;
    auto request = connection->OpenRequest("GET", "/" + platform::ToUtf8(path), 0);
    if (!request || !request->Send("", "")) return false;
    if (!request->ReceiveResponse()) {
        LogWrite("GetRedirectUrl", __FILE__, __LINE__, kLogError, "Error %d has occurred.\n",
                 static_cast<int>(platform::HttpLastError()));
        return true;
    }
    std::string status;
    if (!request->QueryStatusCode(status) || std::atoi(status.c_str()) != 302) return false;
    std::string location;
    request->QueryHeader("Location", location);
    url = platform::ToWide(location);
    return true;
}
