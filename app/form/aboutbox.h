// What frmAbout shows beyond its fixed captions, and where it opens, for
// both windows.
#pragma once

#include <string>

class SettingsStore;

// "Sobre LOG QVR".
std::string aboutCaption();
// "Versão 1.0.0" for the build's version.
std::string aboutVersionText();

struct ScreenPoint {
    int x = 0;
    int y = 0;
};

// Where the box opens, in pixels: "LeftAbout" and "TopAbout" as twips. Both
// count, even absent (0), over the centred place the box is laid out in.
ScreenPoint aboutPosition(const SettingsStore& store);

// A stored "TopAbout"/"LeftAbout" text as a number of twips; 0 when absent or
// not a number.
int twipsSetting(const SettingsStore& store, const char* key);
