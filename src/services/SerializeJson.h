#pragma once

#include <string>

#include <rapidjson/document.h>

class IJSONStruct;

// The adapter's ToJson copied into `document` and written as pretty text:
// four blanks per level, a line break after every opening bracket, member and
// element, ": " after keys, no line break at the end.
std::string SerializeJson(IJSONStruct& adapter, rapidjson::Document& document);
