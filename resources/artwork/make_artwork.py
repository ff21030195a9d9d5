#!/usr/bin/python3
"""Draws the PNG artwork of resources/: the per-language tip pictures and the icons.

Run:   /usr/bin/python3 resources/artwork/make_artwork.py   (then resources/artwork/check)
Needs: apt-get install python3-cairo python3-gi gir1.2-pango-1.0 fonts-noto-core fonts-noto-cjk
(Debian's own python3: the bindings come from Debian packages, not from pip.)

Output:
  resources/language/<Name>/install_tips.png   520 x 36, grey text on transparent
  resources/icon/icon_{16,32,48,256}.png        product icon, each size drawn on its own grid
The tip texts come from texts.json ("tip" of each language).
"""

import json
import os
import sys

import cairo
import gi

gi.require_version("Pango", "1.0")
gi.require_version("PangoCairo", "1.0")
from gi.repository import Pango, PangoCairo  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
RESOURCES = os.path.normpath(os.path.join(HERE, ".."))
LANGUAGE_DIR = os.path.join(RESOURCES, "language")
ICON_DIR = os.path.join(RESOURCES, "icon")

# The skin's tip control is 520 x 36 and stretches its background picture to
# fill it, so every language gets a picture of exactly this size: a narrower
# one would be widened and its text distorted.
TIP_WIDTH = 520
TIP_HEIGHT = 36
TIP_FONT_PX = 14.0
TIP_MIN_FONT_PX = 11.0
TIP_SIDE_PADDING = 2
TIP_COLOR = (0x66 / 255.0, 0x66 / 255.0, 0x66 / 255.0)

PRODUCT_COLOR = (0x57 / 255.0, 0x4D / 255.0, 0xED / 255.0)
WHITE = (1.0, 1.0, 1.0)

# Face and language per folder; the language tag makes pango pick the
# regional glyph forms of the CJK faces.
FONTS = {
    "Chinese": ("Noto Sans CJK SC", "zh-cn"),
    "ChineseTW": ("Noto Sans CJK TC", "zh-tw"),
    "Japanese": ("Noto Sans CJK JP", "ja"),
    "Korean": ("Noto Sans CJK KR", "ko"),
    "Arabic": ("Noto Sans Arabic", "ar"),
    "Thai": ("Noto Sans Thai", "th"),
}
DEFAULT_FONT = ("Noto Sans", "en")
# Arabic letters sit small on the line at the Latin size; one step up reads alike.
FONT_PX = {"Arabic": 16.0}
RIGHT_TO_LEFT = {"Arabic"}


def font_options():
    options = cairo.FontOptions()
    options.set_antialias(cairo.ANTIALIAS_GRAY)
    options.set_hint_style(cairo.HINT_STYLE_SLIGHT)
    # Whole-pixel advances: glyphs land on the pixel grid, so the small text
    # keeps even spacing and sharp stems.
    options.set_hint_metrics(cairo.HINT_METRICS_ON)
    return options


def tip_layout(cr, text, family, language, size_px, rtl):
    layout = PangoCairo.create_layout(cr)
    PangoCairo.context_set_font_options(layout.get_context(), font_options())
    layout.get_context().set_language(Pango.Language.from_string(language))
    layout.get_context().set_base_dir(Pango.Direction.RTL if rtl else Pango.Direction.LTR)
    description = Pango.FontDescription.from_string(family + ", Noto Sans")
    description.set_absolute_size(size_px * Pango.SCALE)
    layout.set_font_description(description)
    layout.set_auto_dir(False)
    layout.context_changed()
    layout.set_text(text, -1)
    return layout


def render_tip(name, text, path):
    family, language = FONTS.get(name, DEFAULT_FONT)
    rtl = name in RIGHT_TO_LEFT
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, TIP_WIDTH, TIP_HEIGHT)
    cr = cairo.Context(surface)

    available = TIP_WIDTH - 2 * TIP_SIDE_PADDING
    size = FONT_PX.get(name, TIP_FONT_PX)
    while True:
        layout = tip_layout(cr, text, family, language, size, rtl)
        _, logical = layout.get_extents()
        width = logical.width / Pango.SCALE
        if width <= available or size <= TIP_MIN_FONT_PX:
            break
        size -= 0.25
    if width > available:
        sys.exit("%s: tip text is %.1f px wide even at %.2f px; shorten it" % (name, width, size))

    height = logical.height / Pango.SCALE
    # Start-aligned: left for left-to-right scripts, right for Arabic.
    x = TIP_WIDTH - TIP_SIDE_PADDING - width if rtl else TIP_SIDE_PADDING
    # Centre the line box (ascent + descent of the face), which keeps the
    # baseline in the same place whatever letters the text happens to use.
    y = round((TIP_HEIGHT - height) / 2.0)
    cr.move_to(x - logical.x / Pango.SCALE, y - logical.y / Pango.SCALE)
    cr.set_source_rgb(*TIP_COLOR)
    PangoCairo.show_layout(cr, layout)
    surface.flush()
    surface.write_to_png(path)
    return size, width


# Icon: a rounded square in the product colour holding a white "Z". Every
# size has its own pixel grid so that the bars of the Z fall on whole pixels:
#
#   x0      x1          top bar    rows y0 .. y0+bar
#   +--------+
#        / /            diagonal   a parallelogram from the top bar's right
#       / /                        end down to the bottom bar's left end,
#      / /                         `slant` pixels wide along each row
#   +--------+          bottom bar rows y1-bar .. y1
#
# Coordinates are in pixels of that size; (margin, radius) shape the square.
ICON_GRIDS = {
    16: dict(margin=0, radius=3.5, x0=4, x1=12, y0=4, y1=12, bar=2, slant=3.0),
    32: dict(margin=1, radius=7.0, x0=8, x1=24, y0=8, y1=24, bar=3, slant=5.0),
    48: dict(margin=2, radius=10.0, x0=13, x1=35, y0=13, y1=35, bar=4, slant=7.0),
    256: dict(margin=12, radius=52.0, x0=66, x1=190, y0=66, y1=190, bar=24, slant=38.0),
}


def rounded_square(cr, left, top, size, radius):
    right = left + size
    bottom = top + size
    cr.new_sub_path()
    cr.arc(right - radius, top + radius, radius, -0.5 * 3.141592653589793, 0)
    cr.arc(right - radius, bottom - radius, radius, 0, 0.5 * 3.141592653589793)
    cr.arc(left + radius, bottom - radius, radius, 0.5 * 3.141592653589793, 3.141592653589793)
    cr.arc(left + radius, top + radius, radius, 3.141592653589793, 1.5 * 3.141592653589793)
    cr.close_path()


def render_icon(size, path):
    g = ICON_GRIDS[size]
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, size, size)
    cr = cairo.Context(surface)
    cr.set_antialias(cairo.ANTIALIAS_GRAY)

    m = g["margin"]
    rounded_square(cr, m, m, size - 2 * m, g["radius"])
    if size >= 48:
        # A faint top-to-bottom shade around the product colour; the small
        # sizes stay flat so their edges stay crisp.
        gradient = cairo.LinearGradient(0, m, 0, size - m)
        gradient.add_color_stop_rgb(0.0, 0x6A / 255.0, 0x61 / 255.0, 0xF2 / 255.0)
        gradient.add_color_stop_rgb(1.0, 0x4B / 255.0, 0x41 / 255.0, 0xE0 / 255.0)
        cr.set_source(gradient)
    else:
        cr.set_source_rgb(*PRODUCT_COLOR)
    cr.fill()

    x0, x1, y0, y1, bar, slant = g["x0"], g["x1"], g["y0"], g["y1"], g["bar"], g["slant"]
    cr.set_source_rgb(*WHITE)
    cr.rectangle(x0, y0, x1 - x0, bar)
    cr.rectangle(x0, y1 - bar, x1 - x0, bar)
    cr.fill()
    cr.move_to(x1 - slant, y0 + bar)
    cr.line_to(x1, y0 + bar)
    cr.line_to(x0 + slant, y1 - bar)
    cr.line_to(x0, y1 - bar)
    cr.close_path()
    cr.fill()

    surface.flush()
    surface.write_to_png(path)


def main():
    with open(os.path.join(HERE, "texts.json"), encoding="utf-8") as f:
        languages = json.load(f)["languages"]

    for lang in languages:
        folder = os.path.join(LANGUAGE_DIR, lang["name"])
        os.makedirs(folder, exist_ok=True)
        size, width = render_tip(lang["name"], lang["tip"], os.path.join(folder, "install_tips.png"))
        print("%-10s tip %5.1f px wide at %.2f px" % (lang["name"], width, size))

    os.makedirs(ICON_DIR, exist_ok=True)
    for size in sorted(ICON_GRIDS):
        render_icon(size, os.path.join(ICON_DIR, "icon_%d.png" % size))
        print("icon_%d.png" % size)


if __name__ == "__main__":
    main()
