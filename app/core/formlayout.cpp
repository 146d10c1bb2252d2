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
// clang-format off
constexpr ControlDesign kMain[] = {
    {.name = "Label8", .kind = K::Label, .text = "Timeout(ms):", .rect = {10, 14, 140, 24},
     .align = A::Right},
    {.name = "txtTimeout", .kind = K::TextBox, .id = Control::txtTimeout, .text = "1000",
     .rect = {158, 14, 80, 24}, .typingLimit = 5, .align = A::Centre, .colour = C::Blue,
     .connectionField = true},
    {.name = "Label7", .kind = K::Label, .text = "Tentativas:", .rect = {10, 44, 140, 24},
     .align = A::Right},
    {.name = "txtRetry", .kind = K::TextBox, .id = Control::txtRetry, .text = "3",
     .rect = {158, 44, 80, 24}, .typingLimit = 3, .align = A::Centre, .colour = C::Blue,
     .connectionField = true},
    {.name = "Label3", .kind = K::Label, .text = "Baud Rate:", .rect = {10, 74, 140, 24},
     .align = A::Right},
    {.name = "cboBaudRate", .kind = K::ComboBox, .id = Control::cboBaudRate,
     .rect = {158, 74, 112, 24}, .colour = C::Blue, .connectionField = true},
    {.name = "Label1", .kind = K::Label, .text = "Porta COM:", .rect = {10, 104, 140, 24},
     .align = A::Right},
    {.name = "txtCOM", .kind = K::TextBox, .id = Control::txtCOM, .text = "1",
     .rect = {158, 104, 80, 24}, .typingLimit = 3, .align = A::Centre, .colour = C::Blue,
     .connectionField = true, .enterConnects = true, .digitsOnly = true,
     .selectAllOnFocus = true},
    {.name = "Label2", .kind = K::Label, .text = "Endereço:", .rect = {10, 134, 140, 24},
     .align = A::Right},
    {.name = "txtEnd", .kind = K::TextBox, .id = Control::txtEnd, .text = "1",
     .rect = {158, 134, 80, 24}, .typingLimit = 3, .align = A::Centre, .colour = C::Blue,
     .connectionField = true, .enterConnects = true, .selectAllOnFocus = true},
    {.name = "cmdOK", .kind = K::Button, .id = Control::cmdOK, .text = "Conectar",
     .rect = {278, 104, 140, 54}, .align = A::Centre, .font = F::Button},

    {.name = "lblStatus", .kind = K::Label, .id = Control::lblStatus, .rect = {8, 170, 424, 22},
     .align = A::Centre, .font = F::Status, .colour = C::Red},
    {.name = "lblNS", .kind = K::Label, .id = Control::lblNS, .rect = {8, 194, 424, 22},
     .align = A::Centre, .font = F::Status, .colour = C::Red},
    {.name = "Line1", .kind = K::Separator, .rect = {8, 222, 424, 3}},

    {.name = "lblAte", .kind = K::Label, .id = Control::lblAte, .text = "Último Log gravado = ",
     .rect = {20, 232, 400, 22}, .enabled = false},
    {.name = "optInteira", .kind = K::Option, .id = Control::optInteira,
     .text = "Ler Memória Inteira", .rect = {20, 258, 300, 24}, .enabled = false,
     .optionGroup = 1},
    {.name = "optUltimos", .kind = K::Option, .id = Control::optUltimos, .text = "Ler",
     .rect = {20, 288, 60, 24}, .enabled = false, .optionGroup = 1},
    {.name = "txtUltimos", .kind = K::TextBox, .id = Control::txtUltimos, .text = "1",
     .rect = {84, 288, 70, 24}, .enabled = false, .typingLimit = 5, .align = A::Centre,
     .colour = C::Blue, .selectsOption = Control::optUltimos},
    {.name = "lblUltimos", .kind = K::Label, .id = Control::lblUltimos,
     .text = "último(s) log(s).", .rect = {162, 288, 200, 24}, .enabled = false},
    {.name = "optAte", .kind = K::Option, .id = Control::optAte, .text = "Ler",
     .rect = {20, 318, 60, 24}, .enabled = false, .optionGroup = 1},
    {.name = "txtDe", .kind = K::TextBox, .id = Control::txtDe, .text = "1",
     .rect = {84, 318, 70, 24}, .enabled = false, .typingLimit = 5, .align = A::Centre,
     .colour = C::Blue, .selectsOption = Control::optAte},
    {.name = "lblDeAte", .kind = K::Label, .id = Control::lblDeAte, .text = "até",
     .rect = {158, 318, 36, 24}, .enabled = false, .align = A::Centre},
    {.name = "txtAte", .kind = K::TextBox, .id = Control::txtAte, .text = "1",
     .rect = {198, 318, 70, 24}, .enabled = false, .typingLimit = 5, .align = A::Centre,
     .colour = C::Blue, .selectsOption = Control::optAte},

    {.name = "cmdGerar", .kind = K::Button, .id = Control::cmdGerar,
     .text = "Gerar Arquivo de LOG", .rect = {110, 354, 220, 30}, .enabled = false,
     .align = A::Centre, .font = F::Button},
    {.name = "cmdLogReset", .kind = K::Button, .id = Control::cmdLogReset,
     .text = "LOG de Reset", .rect = {110, 390, 220, 30}, .enabled = false, .align = A::Centre,
     .font = F::Button},
    {.name = "lblTexto", .kind = K::Label, .id = Control::lblTexto, .rect = {8, 426, 424, 22},
     .align = A::Centre, .colour = C::Blue},

    {.name = "prgProgresso", .kind = K::ProgressBar, .id = Control::prgProgresso,
     .rect = {8, 457, 120, 18}},
    {.name = "lblPercentual", .kind = K::Label, .id = Control::lblPercentual,
     .rect = {132, 454, 44, 24}, .align = A::Right, .colour = C::Blue},
    {.name = "lblRestante", .kind = K::Label, .id = Control::lblRestante,
     .rect = {182, 454, 152, 24}, .colour = C::Blue},
    {.name = "Line2", .kind = K::Separator, .rect = {8, 486, 424, 3}},

    {.name = "cmdProcurar", .kind = K::Button, .id = Control::cmdProcurar, .text = "Procurar...",
     .rect = {298, 494, 120, 28}, .align = A::Centre, .font = F::Button},
    {.name = "Label27", .kind = K::Label, .text = "Salvar em:", .rect = {20, 496, 120, 26}},
    {.name = "txtCaminho", .kind = K::TextBox, .id = Control::txtCaminho,
     .rect = {20, 526, 398, 24}, .selectAllOnClick = true},
    // Last in the tab order, after the controls the window always had.
    {.name = "cmdCancelar", .kind = K::Button, .id = Control::cmdCancelar, .text = "Cancelar",
     .rect = {338, 452, 94, 28}, .enabled = false, .align = A::Centre, .font = F::Button,
     .pressedByEsc = true},
};

constexpr ControlDesign kAbout[] = {
    {.name = "picIcon", .kind = K::Icon, .rect = {12, 12, 40, 40}},
    {.name = "lblTitle", .kind = K::Label, .text = "Software de Log do QVR/KPW",
     .rect = {64, 10, 306, 24}, .font = F::DialogTitle},
    {.name = "Label1", .kind = K::Label, .text = "Quorvane", .rect = {64, 36, 306, 20},
     .font = F::Dialog},
    {.name = "lblVersion", .kind = K::Label, .text = "Versão", .rect = {64, 56, 306, 20},
     .font = F::Dialog},
    {.name = "lblDescription", .kind = K::Label,
     .text = "Aplicação para leitura de Log do QVR/KPW. Compatível com firmwares a partir da "
             "versão 1.24 r1.",
     .rect = {64, 80, 306, 56}, .font = F::Dialog, .wordWrap = true},
    {.name = "Line1", .kind = K::Separator, .rect = {10, 144, 362, 2}},
    {.name = "cmdOK", .kind = K::Button, .text = "OK", .rect = {282, 160, 90, 28},
     .align = A::Centre, .font = F::Dialog},
};
// clang-format on

// Null for Timer1, which has no place in the window.
const ControlDesign* find(Control id)
{
    const auto* found = std::find_if(std::begin(kMain),
                                     std::end(kMain),
                                     [id](const ControlDesign& s) { return s.id == id; });
    return found != std::end(kMain) ? found : nullptr;
}

} // namespace

std::span<const ControlDesign> frmMainControls()
{
    return kMain;
}

const ControlDesign& frmMainControl(Control id)
{
    const ControlDesign* const found = find(id);
    assert(found != nullptr);
    return *found;
}

bool takesFocus(ControlKind kind)
{
    return kind == K::TextBox || kind == K::ComboBox || kind == K::Button || kind == K::Option;
}

std::vector<Control> frmMainControlsWith(bool ControlDesign::*flag)
{
    std::vector<Control> found;
    for (const ControlDesign& design : kMain) {
        if (design.id && design.*flag)
            found.push_back(*design.id);
    }
    return found;
}

std::vector<Control> optionGroupOf(Control option)
{
    const ControlDesign* const own = find(option);
    if (!own || own->optionGroup == 0)
        return {option};
    std::vector<Control> group;
    for (const ControlDesign& design : kMain) {
        if (design.optionGroup == own->optionGroup)
            group.push_back(*design.id);
    }
    return group;
}

std::optional<Control> optionSelectedBy(Control field)
{
    const ControlDesign* const design = find(field);
    return design ? design->selectsOption : std::nullopt;
}

std::span<const ControlDesign> frmAboutControls()
{
    return kAbout;
}
