#include "services/GA.h"

#include <rapidjson/document.h>

#include "http_kit/CreateHttp.h"
#include "services/DownloaderGAJSONStruct.h"
#include "services/GetGuid.h"
#include "services/SerializeJson.h"
#include "services/WideToUtf8.h"
#include "shell/Log.h"

namespace {

class ProcessSender : public CGA {
public:
    ProcessSender() : CGA(WideToUtf8(::GetGuid())) {}
};

}  // namespace

CGA* CGA::GetInstance() {
    static CGA* const instance = new ProcessSender;
    return instance;
}

bool CGA::SendGACommon(const std::string& eventName) {
    LogWrite("CGA::SendGACommon", __FILE__, __LINE__, kLogInfo, "tran code guid:%s", m_guid.c_str());
    DownloaderGAInfo info;
    info.client_id = m_guid;
    info.uid = m_guid;
    info.events.push_back({eventName, WideToUtf8(m_title), m_guid});
    rapidjson::Document document;
    CDownloaderGAJSONStruct adapter(document.GetAllocator(), &info);
    const std::string json = SerializeJson(adapter, document);

    IHttpBase* base = nullptr;
    if (!CreateHttp(&base, kHttpClient_WinHttp)) return false;
    auto* client = static_cast<IWinHttp*>(base);
    const std::string url = WideToUtf8(m_url);
    client->Request(url.c_str(), 1, json.c_str(), "Content-Type: application/json; charset=utf-8");
    const int status = client->GetStatusCode();
    LogWrite("CGA::SendGACommon", __FILE__, __LINE__, kLogInfo, "request url: %s", url.c_str());
    LogWrite("CGA::SendGACommon", __FILE__, __LINE__, kLogInfo, "request info: %s", json.c_str());
    LogWrite("CGA::SendGACommon", __FILE__, __LINE__, kLogInfo, "request ret Code: %d", status);
    client->FreeInstance();
    return true;
}

unsigned long GAThreadProc(void* parameter) {
    auto* param = static_cast<GAThreadParam*>(parameter);
    switch (param->kind) {
        case 1:
            param->result = param->sender->SendDownloaderInstalled();
            break;
        case 2:
            param->result = param->sender->SendInstalledSucceed();
            break;
        default:
            param->result = param->sender->SendDownloaderStartInstall();
            break;
    }
    delete param;
    return 0;
}
