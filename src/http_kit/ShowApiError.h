#pragma once
// Logs a failed platform call with the platform's text for its error code.

// `errorCode` is the last error right after the failing call; `context` (the
// caller's qualified name) may be null.
void ShowApiError(const char* callName, unsigned long errorCode, const char* context);
