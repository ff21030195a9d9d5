#pragma once
// Readers for the value forms of markup attributes and image descriptors.
// They never fail: what cannot be read reads as 0 (or false), the way the
// skins written for this toolkit expect.

#include <functional>
#include <string_view>

#include "ui_toolkit/core/UiTypes.h"

// True only for the exact text "true".
bool ParseBool(std::wstring_view value);

// A decimal integer: leading whitespace, an optional sign, digits up to the
// first other character; no digits reads as 0, and values beyond int saturate.
// `rest`, when given, receives the text after the number (all of `value` when
// there was none).
int ParseInt(std::wstring_view value, std::wstring_view* rest = nullptr);

// A hexadecimal colour read up to the first character that is not a hex
// digit, after one leading '#'; with `skipSpace` leading whitespace goes
// first. "#FF#574DED" reads as 0x000000FF; more than eight digits saturate.
ArgbColor ParseColor(std::wstring_view value, bool skipSpace = false);

// Up to four decimal numbers, each separated from the next by exactly one
// character of any kind; missing trailing numbers are 0, so "0,6" is
// (0, 6, 0, 0).
UiRect ParseRect(std::wstring_view value);
// The first two numbers of the same form.
UiSize ParseSize(std::wstring_view value);

// Reads an attribute list: pairs name="value", each pair separated from the
// next by exactly one space. Reading stops quietly at the first deviation;
// the pairs read until then have been given to `apply`.
void ParseAttributeList(std::wstring_view list,
                        const std::function<void(std::wstring_view name, std::wstring_view value)>& apply);
