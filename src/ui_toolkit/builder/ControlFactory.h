#pragma once
// Which control an element name of the markup creates.

#include <functional>
#include <memory>
#include <string_view>

#include "ui_toolkit/core/ControlUI.h"

// A new control of the class the element names (compared ignoring case,
// except "GifAnim", which must be written so), or null for a name the toolkit
// does not build.
std::unique_ptr<CControlUI> CreateControlForElement(std::wstring_view element);

// Creators consulted, in the order added, for names the toolkit does not know.
using ControlFactoryHook = std::function<std::unique_ptr<CControlUI>(std::wstring_view element)>;
void AddControlFactoryHook(ControlFactoryHook hook);
void RemoveAllControlFactoryHooks();
// The first control a hook creates, or null.
std::unique_ptr<CControlUI> CreateControlFromHooks(std::wstring_view element);
