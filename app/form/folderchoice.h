// The output folder choice: ask the folder browser and put its answer, ending
// with the system's folder separator, into txtCaminho; a cancelled browser
// leaves the field as it was.
#pragma once

class FormView;
class FolderPicker;

class FolderChoice {
public:
    FolderChoice(FormView& view, FolderPicker& picker) : m_view(view), m_picker(picker) {}
    void cmdProcurar_Click();

private:
    FormView& m_view;
    FolderPicker& m_picker;
};
