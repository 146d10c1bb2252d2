// The windows as designed: every control of frmMain and frmAbout with its
// name, kind, caption or initial text, enabled state, typing limit, place,
// font role and colour, and what it does with the keyboard, the mouse and the
// other controls. Both front ends (Qt, Win32) build their windows from these
// tables and read their rules here, so the two cannot drift apart. Places are
// client pixels at 96 dots per inch, 15 twips each.
#pragma once

#include "core/formview.h"

#include <optional>
#include <span>
#include <vector>

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
    std::optional<Control> id = std::nullopt;
    const char* text = ""; // caption or initial text, UTF-8
    PixelRect rect = {};
    bool enabled = true;
    int typingLimit = 0; // characters the user may type; 0 = no limit
    TextAlign align = TextAlign::Left;
    FontRole font = FontRole::Field;
    TextColour colour = TextColour::Default;
    bool wordWrap = false;

    // One of the link's settings: off while the link is open or a download
    // runs, all together.
    bool connectionField = false;
    // Enter typed into it connects (or disconnects), as cmdOK does.
    bool enterConnects = false;
    // Of the characters typed, only digits and Backspace reach it.
    bool digitsOnly = false;
    // Gaining the focus selects the whole text, caret at the start, so that
    // typing replaces it.
    bool selectAllOnFocus = false;
    // A click into it selects the whole text.
    bool selectAllOnClick = false;
    // A change of its text, typed or written, selects this option.
    std::optional<Control> selectsOption = std::nullopt;
    // Options of one group (a number above 0) are checked one at a time.
    int optionGroup = 0;
    // Esc presses it.
    bool pressedByEsc = false;
};

// The controls of frmMain in creation order. The ones that take the focus
// come in tab order, each caption just before the field it names (screen
// readers take an edit's name from the caption before it).
std::span<const ControlDesign> frmMainControls();
// The entry of `id`; every Control but Timer1 has one.
const ControlDesign& frmMainControl(Control id);
// Text boxes, the list, buttons and options take the focus; in table order.
bool takesFocus(ControlKind kind);
// The controls of frmMain whose `flag` is set, in table order.
std::vector<Control> frmMainControlsWith(bool ControlDesign::*flag);
// The options checked one at a time with `option`, itself included: its
// group, or itself alone.
std::vector<Control> optionGroupOf(Control option);
// The option a change of `field`'s text selects, if any.
std::optional<Control> optionSelectedBy(Control field);

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
