#pragma once
// The system's default interface font, standing for the platform's default
// GUI font: the family fontconfig picks for "sans-serif", 12 pixels, regular.

#include "ui_toolkit/render/FontEntry.h"

// Asks fontconfig each call; the font table keeps the answer once per process.
FontEntry GetSystemDefaultFont();
