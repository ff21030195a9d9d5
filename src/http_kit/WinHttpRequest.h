#pragma once
// CBaseRequest on the WinHTTP session layer: no browser-like fields, the
// platform's default time-outs, a proxied or direct session as the system's
// connection state says, and full certificate checks. Each failing platform
// call is logged with ShowApiError.

#include <string>

#include "http_kit/BaseRequest.h"

class CWinHttpRequest : public CBaseRequest {
public:
    ~CWinHttpRequest() override;

    const char* GetName() const override { return "WinHttp"; }
    bool GetUrlFileSize(std::uint32_t& size) override;
    int HttpRead(void* buffer, int size) override;
    void CloseHandles() override;
    bool OpenSession() override;
    bool ConnectSession(bool secure) override;
    bool OpenRequest(bool secure) override;
    bool SendRequest() override;

    // Writes the body to the file in blocks of up to 4096 bytes. On failure
    // what was written stays in the file.
    bool SaveToFile(const std::wstring& filePath);
    // The body; what was read before a failed read.
    std::string ReadAll();
};
