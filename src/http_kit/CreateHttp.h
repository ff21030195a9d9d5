#pragma once
// The factory of the HTTP clients.

#include "http_kit/IHttpBase.h"

enum HttpClientType { kHttpClient_Socket = 0, kHttpClient_Wininet = 1, kHttpClient_WinHttp = 2 };

// Makes a client of that type into `*client` (null for an unknown type);
// true when one was made. Release it with FreeInstance.
bool CreateHttp(IHttpBase** client, int type);
