// Child controls of the Win32 windows from the shared table: the system's
// window class and styles for each kind, and the fonts of the table's roles
// (Verdana as designed; the system's dialog font for the About box).
#pragma once

#include "core/formlayout.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <map>

namespace winui {

// One font per role, made once for a window and deleted with it.
class Fonts {
public:
    Fonts();
    ~Fonts();
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;
    HFONT of(FontRole role) const { return m_fonts.at(role); }

private:
    std::map<FontRole, HFONT> m_fonts;
};

// Creates the control of `design` as a child of `parent` with identifier `id`,
// its font set, enabled as designed, at its place.
HWND createControl(HWND parent, const ControlDesign& design, int id, const Fonts& fonts);

// The text colour of `colour`; CLR_INVALID for the system's own.
COLORREF colourOf(TextColour colour);

} // namespace winui
