#include "core/formlayout.h"

#include <algorithm>
#include <cassert>
#include <iterator>

const char* const kBaudRateEntries[6] =
    {"     4800", "     9600", "     19200", "     38400", "     56000", "     115200"};

namespace {

using K = ControlKind;
using A = TextAlign;
using F = FontRole;
using C = TextColour;

// Top block: captions right-aligned up to x 150, fields from x 158. The
// progress row (y 452 to 480) pushes the folder block 32 pixels down from
// where the window had it before the row existed.
// One control to a line or two, read as the table it is.
// clang-format off
constexpr ControlDesign kMain[] = {
    {"Label8", K::Label, {}, "Timeout(ms):", {10, 14, 140, 24}, true, 0, A::Right},
    {"txtTimeout", K::TextBox, Control::txtTimeout, "1000", {158, 14, 80, 24}, true, 5, A::Centre,
     F::Field, C::Blue},
    {"Label7", K::Label, {}, "Tentativas:", {10, 44, 140, 24}, true, 0, A::Right},
    {"txtRetry", K::TextBox, Control::txtRetry, "3", {158, 44, 80, 24}, true, 3, A::Centre,
     F::Field, C::Blue},
    {"Label3", K::Label, {}, "Baud Rate:", {10, 74, 140, 24}, true, 0, A::Right},
    {"cboBaudRate", K::ComboBox, Control::cboBaudRate, "", {158, 74, 112, 24}, true, 0, A::Left,
     F::Field, C::Blue},
    {"Label1", K::Label, {}, "Porta COM:", {10, 104, 140, 24}, true, 0, A::Right},
    {"txtCOM", K::TextBox, Control::txtCOM, "1", {158, 104, 80, 24}, true, 3, A::Centre, F::Field,
     C::Blue},
    {"Label2", K::Label, {}, "Endereço:", {10, 134, 140, 24}, true, 0, A::Right},
    {"txtEnd", K::TextBox, Control::txtEnd, "1", {158, 134, 80, 24}, true, 3, A::Centre, F::Field,
     C::Blue},
    {"cmdOK", K::Button, Control::cmdOK, "Conectar", {278, 104, 140, 54}, true, 0, A::Centre,
     F::Button},

    {"lblStatus", K::Label, Control::lblStatus, "", {8, 170, 424, 22}, true, 0, A::Centre,
     F::Status, C::Red},
    {"lblNS", K::Label, Control::lblNS, "", {8, 194, 424, 22}, true, 0, A::Centre, F::Status,
     C::Red},
    {"Line1", K::Separator, {}, "", {8, 222, 424, 3}},

    {"lblAte", K::Label, Control::lblAte, "Último Log gravado = ", {20, 232, 400, 22}, false},
    {"optInteira", K::Option, Control::optInteira, "Ler Memória Inteira", {20, 258, 300, 24},
     false},
    {"optUltimos", K::Option, Control::optUltimos, "Ler", {20, 288, 60, 24}, false},
    {"txtUltimos", K::TextBox, Control::txtUltimos, "1", {84, 288, 70, 24}, false, 5, A::Centre,
     F::Field, C::Blue},
    {"lblUltimos", K::Label, Control::lblUltimos, "último(s) log(s).", {162, 288, 200, 24},
     false},
    {"optAte", K::Option, Control::optAte, "Ler", {20, 318, 60, 24}, false},
    {"txtDe", K::TextBox, Control::txtDe, "1", {84, 318, 70, 24}, false, 5, A::Centre, F::Field,
     C::Blue},
    {"lblDeAte", K::Label, Control::lblDeAte, "até", {158, 318, 36, 24}, false, 0, A::Centre},
    {"txtAte", K::TextBox, Control::txtAte, "1", {198, 318, 70, 24}, false, 5, A::Centre,
     F::Field, C::Blue},

    {"cmdGerar", K::Button, Control::cmdGerar, "Gerar Arquivo de LOG", {110, 354, 220, 30}, false,
     0, A::Centre, F::Button},
    {"cmdLogReset", K::Button, Control::cmdLogReset, "LOG de Reset", {110, 390, 220, 30}, false, 0,
     A::Centre, F::Button},
    {"lblTexto", K::Label, Control::lblTexto, "", {8, 426, 424, 22}, true, 0, A::Centre, F::Field,
     C::Blue},

    {"prgProgresso", K::ProgressBar, Control::prgProgresso, "", {8, 457, 120, 18}},
    {"lblPercentual", K::Label, Control::lblPercentual, "", {132, 454, 44, 24}, true, 0, A::Right,
     F::Field, C::Blue},
    {"lblRestante", K::Label, Control::lblRestante, "", {182, 454, 152, 24}, true, 0, A::Left,
     F::Field, C::Blue},
    {"Line2", K::Separator, {}, "", {8, 486, 424, 3}},

    {"cmdProcurar", K::Button, Control::cmdProcurar, "Procurar...", {298, 494, 120, 28}, true, 0,
     A::Centre, F::Button},
    {"Label27", K::Label, {}, "Salvar em:", {20, 496, 120, 26}},
    {"txtCaminho", K::TextBox, Control::txtCaminho, "", {20, 526, 398, 24}},
    // Last in the tab order, after the controls the window always had; Esc
    // presses it too.
    {"cmdCancelar", K::Button, Control::cmdCancelar, "Cancelar", {338, 452, 94, 28}, false, 0,
     A::Centre, F::Button},
};

constexpr ControlDesign kAbout[] = {
    {"picIcon", K::Icon, {}, "", {12, 12, 40, 40}},
    {"lblTitle", K::Label, {}, "Software de Log do QVR/KPW", {64, 10, 306, 24}, true, 0, A::Left,
     F::DialogTitle},
    {"Label1", K::Label, {}, "Quorvane", {64, 36, 306, 20}, true, 0, A::Left, F::Dialog},
    {"lblVersion", K::Label, {}, "Versão", {64, 56, 306, 20}, true, 0, A::Left, F::Dialog},
    {"lblDescription", K::Label, {},
     "Aplicação para leitura de Log do QVR/KPW. Compatível com firmwares a partir da versão "
     "1.24 r1.",
     {64, 80, 306, 56}, true, 0, A::Left, F::Dialog, C::Default, true},
    {"Line1", K::Separator, {}, "", {10, 144, 362, 2}},
    {"cmdOK", K::Button, {}, "OK", {282, 160, 90, 28}, true, 0, A::Centre, F::Dialog},
};
// clang-format on

} // namespace

std::span<const ControlDesign> frmMainControls()
{
    return kMain;
}

const ControlDesign& frmMainControl(Control id)
{
    const auto* found = std::find_if(std::begin(kMain),
                                     std::end(kMain),
                                     [id](const ControlDesign& s) { return s.id == id; });
    assert(found != std::end(kMain));
    return *found;
}

bool takesFocus(ControlKind kind)
{
    return kind == K::TextBox || kind == K::ComboBox || kind == K::Button || kind == K::Option;
}

std::span<const ControlDesign> frmAboutControls()
{
    return kAbout;
}
