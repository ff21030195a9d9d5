#include "http_kit/CreateHttp.h"

#include "http_kit/HttpSocket.h"
#include "http_kit/WinHttp.h"
#include "http_kit/WininetHttp.h"

bool CreateHttp(IHttpBase** client, int type) {
    switch (type) {
        case kHttpClient_Socket:
            *client = new CHttpSocket();
            break;
        case kHttpClient_Wininet:
            *client = new CWininetHttp();
            break;
        case kHttpClient_WinHttp:
            *client = new CWinHttp();
            break;
        default:
            *client = nullptr;
            break;
    }
    return *client != nullptr;
}
