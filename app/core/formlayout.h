// The windows as designed: every control of frmMain and frmAbout with its
// name, kind, caption or initial text, enabled state, typing limit, place,
// font role and colour. Both front ends (Qt, Win32) build their windows from
// these tables, so the two cannot drift apart. Places are client pixels at 96
// dots per inch, 15 twips each.
#pragma once

#include "core/formview.h"

#include <optional>
#include <span>

enum class ControlKind {
    Label,
    TextBox,
    ComboBox,
    Button,
    Option,
    ProgressBar,
    Separator,
    Icon, // the program's icon
};
enum class TextAlign { Left, Centre, Right };
// Field: Verdana 9.75 pt (text boxes, list, options, labels); Button: Verdana
// 9 pt; Status: Verdana 9.75 pt bold. The About box keeps the system's dialog
// font (Dialog), its title bold and a fifth larger (DialogTitle).
enum class FontRole { Field, Button, Status, Dialog, DialogTitle };
enum class TextColour { Default, Blue, Red };

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct ControlDesign {
    const char* name;
    ControlKind kind;
    // The handlers' name for it; none for the captions and lines that nothing
    // ever changes.
    std::optional<Control> id;
    const char* text; // caption or initial text, UTF-8
    PixelRect rect;
    bool enabled = true;
    int typingLimit = 0; // characters the user may type; 0 = no limit
    TextAlign align = TextAlign::Left;
    FontRole font = FontRole::Field;
    TextColour colour = TextColour::Default;
    bool wordWrap = false;
};

// The controls of frmMain in creation order. The ones that take the focus
// come in tab order, each caption just before the field it names (screen
// readers take an edit's name from the caption before it).
std::span<const ControlDesign> frmMainControls();
// The entry of `id`; every Control but Timer1 has one.
const ControlDesign& frmMainControl(Control id);
// Text boxes, the list, buttons and options take the focus; in table order.
bool takesFocus(ControlKind kind);

inline constexpr int kFrmMainClientWidth = 440; // 6600 twips
// 7845 twips and the progress row under lblTexto.
inline constexpr int kFrmMainClientHeight = 555;
inline constexpr int kTimer1IntervalMs = 500;
inline constexpr int kTwipsPerPixel = 15;
inline constexpr const char* kMenuSobre = "Sobre";
// Before "Sobre": the serial ports present, read afresh each time it opens.
inline constexpr const char* kMenuPortas = "Portas";
inline constexpr const char* kNoPortsEntry = "Nenhuma porta serial encontrada.";

// The six entries of cboBaudRate, each with its five leading blanks.
extern const char* const kBaudRateEntries[6];

// frmAbout, 5730 by 3000 twips; its cmdOK is both the default and the cancel
// button.
std::span<const ControlDesign> frmAboutControls();
inline constexpr int kFrmAboutClientWidth = 382;
inline constexpr int kFrmAboutClientHeight = 200;
