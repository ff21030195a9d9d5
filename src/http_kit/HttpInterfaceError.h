#pragma once
// The error codes the HTTP clients record and return from GetErrorCode.

enum HttpInterfaceError {
    kHttpError_None = 0,
    kHttpError_Open = 1,  // session or request not opened, no response, or the socket connection failed
    kHttpError_Connect = 2,
    kHttpError_Send = 3,
    kHttpError_ContentLength = 4,  // no Content-Length, or the data-available query failed
    kHttpError_NotFound = 5,       // 404 (400 for the socket client)
    kHttpError_EmptyFileUrl = 6,
    kHttpError_CreateFile = 7,
    kHttpError_Read = 8,  // reading failed, fewer bytes than announced, or too many redirects
    kHttpError_Resolve = 9,
    kHttpError_Socket = 10,  // no socket, or receiving failed
    kHttpError_Stopped = 11,
    kHttpError_MemoryLength = 12,  // over 8 MiB for a memory download (0 too for the socket client)
    kHttpError_Head = 13,          // the response head was too long
    kHttpError_EmptyRequestUrl = 14,
    kHttpError_WriteFile = 15,
};

// The most a memory download accepts.
constexpr long long kMaxMemoryDownload = 8LL * 1024 * 1024;
