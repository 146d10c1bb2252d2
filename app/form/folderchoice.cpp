#include "form/folderchoice.h"

#include "core/folderpicker.h"
#include "core/formview.h"
#include "core/pathseparator.h"

void FolderChoice::cmdProcurar_Click()
{
    const std::optional<std::string> folder = m_picker.chooseFolder("Caminho:");
    // An empty answer is a browser that could not give a path: keep the field.
    if (!folder || folder->empty())
        return;
    std::string path = *folder;
    // The downloads append file names directly, so the folder must end with
    // the separator; a root ("/", "C:\") already does.
    if (path.back() != kPathSeparator)
        path += kPathSeparator;
    m_view.setText(Control::txtCaminho, path);
}
