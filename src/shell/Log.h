#pragma once
// The program's one text log: a rolling file (10 MiB, one ".1" backup) on the
// root log category. Every record is "<date time,ms> <message>\n "; the blank
// after the line break makes every record after the first start with a blank.

#include <string>

enum LogLevel { kLogDebug = 0, kLogInfo = 1, kLogWarning = 2, kLogError = 3 };

// Sets the log up once per process; later calls do nothing. An empty folder
// means "<program folder>/Log", an empty name "<program base name>.log".
void LogInit(const std::wstring& fileName, const std::wstring& folder);

// printf-style; the formatted bytes reach the file unchanged. An empty format
// writes nothing; a format the arguments break writes the fatal-check record
// "[file:line][function] ***Fatal Error Check,Please Fix it!***" instead.
// A write before LogInit sets the log up with the defaults.
void LogWrite(const char* function, const char* sourceFile, int line, int level, const char* format, ...)
    __attribute__((format(printf, 5, 6)));

// The same for wide text; the result is written as UTF-8.
void LogWrite(const wchar_t* function, const wchar_t* sourceFile, int line, int level, const wchar_t* format, ...);
