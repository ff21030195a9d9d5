#pragma once
// A fixture for the text tests: a manager on a headless window (so a test can
// move the mouse), its fonts, and a black canvas to draw on. Text is checked
// by where ink of a colour lands and by measured sizes, not by glyph shapes.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string_view>

#include <gtest/gtest.h>

#include "PixelChecks.h"
#include "RenderFixture.h"
#include "ui_toolkit/host/HeadlessWindow.h"
#include "ui_toolkit/host/PaintManagerClient.h"
#include "ui_toolkit/manager/PaintManager.h"
#include "ui_toolkit/render/Canvas.h"

inline constexpr std::uint32_t kBlack = 0xFF000000;
inline constexpr std::uint32_t kWhite = 0xFFFFFFFF;
inline constexpr std::uint32_t kRed = 0xFFFF0000;
inline constexpr std::uint32_t kGreen = 0xFF00FF00;
inline constexpr std::uint32_t kBlue = 0xFF0000FF;

// Font ids the fixture registers.
inline constexpr int kRegular = 1;
inline constexpr int kBold = 2;
inline constexpr int kUnderline = 3;
inline constexpr int kItalic = 4;
inline constexpr int kLarge = 5;

class TextFixture : public RenderFixture {
protected:
    TextFixture() : m_window(400, 200), m_client(m_manager), m_canvas(400, 200) {
        m_window.SetClient(&m_client);
        m_manager.Init(&m_window);
        m_manager.AddFont(kRegular, L"DejaVu Sans", 14, false, false, false);
        m_manager.AddFont(kBold, L"DejaVu Sans", 14, true, false, false);
        m_manager.AddFont(kUnderline, L"DejaVu Sans", 14, false, true, false);
        m_manager.AddFont(kItalic, L"DejaVu Sans", 14, false, false, true);
        m_manager.AddFont(kLarge, L"DejaVu Sans", 28, false, false, false);
        m_canvas.Clear(kBlack);
    }

    // Where the shades of `color` are: pixels that are `color` scaled down
    // (text antialiased over black), within `area` (the whole canvas when
    // empty).
    Ink InkOf(std::uint32_t color, const UiRect& area = {}) const;
    // Pixels bright enough to tell their colour that are a shade of none of
    // `colors`.
    int ForeignInk(std::initializer_list<std::uint32_t> colors) const;
    // Every pixel that is not black, within `area` (the whole canvas when
    // empty).
    Ink AnyInk(const UiRect& area = {}) const;

    Ink InkWhere(const UiRect& area, const std::function<bool(std::uint32_t)>& isInk) const;

    HeadlessWindow m_window;
    PaintManager m_manager;
    PaintManagerClient m_client;
    Canvas m_canvas;
};
