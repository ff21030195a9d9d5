#pragma once
// The client identity that analytics reports under: value "GUID" of
// HKEY_LOCAL_MACHINE\SOFTWARE\WOW6432Node\Zelmora\ZelmoraDown, created once
// and shared by every run and every program of the maker that reads it.

#include <string>

// The stored identity when it is made only of letters, digits and '-';
// otherwise a new one ("%08X-%04X-%04x-%02X%02X-%02X%02X%02X%02X%02X%02X" of a
// fresh GUID), written back and returned even if the write fails. Empty when
// the key can be neither created nor opened, or no random bytes can be had.
std::wstring GetGuid();
