// What the Win32 window shows the system of itself: its window classes and
// the identifier of every control and menu entry. Test drivers in other
// processes find the window and its controls by these.
#pragma once

#include "core/formview.h"

namespace winui {

inline constexpr const wchar_t* kFrmMainClass = L"LogQvrFrmMain";
inline constexpr int kMenuSobreId = 900;
inline constexpr int kMenuUltimoLogId = 910;
inline constexpr int kMenuArquivoId = 911;
// The entries of "Portas", in the order listed, from this identifier on.
inline constexpr int kFirstPortEntryId = 2000;
inline constexpr int kLastPortEntryId = 2999;
inline constexpr int kTimer1Id = 1;

// Every control the handlers know; the captions and lines that nothing
// changes get 3000 and their place in the table.
constexpr int controlId(Control c)
{
    return 1000 + static_cast<int>(c);
}
inline constexpr int kFirstFixedControlId = 3000;

} // namespace winui
