#include "http_kit/ShowApiError.h"

#include <unistd.h>

#include <string>

#include "platform/HttpSession.h"
#include "shell/Log.h"

namespace {

// The message buffer holds 260 characters with its terminator.
constexpr std::size_t kMessageLength = 259;

}  // namespace

void ShowApiError(const char* callName, unsigned long errorCode, const char* context) {
    const std::string message = platform::HttpErrorText(errorCode).substr(0, kMessageLength);
    const int thread = static_cast<int>(gettid());
    const int code = static_cast<int>(errorCode);
    if (context) {
        LogWrite("ShowApiError", __FILE__, __LINE__, kLogError, "[Thread][%d] [%s]call %s fail %d, %s\n", thread,
                 context, callName, code, message.c_str());
    } else {
        LogWrite("ShowApiError", __FILE__, __LINE__, kLogError, "[Thread][%d] call %s fail %d, %s\n", thread, callName,
                 code, message.c_str());
    }
}
