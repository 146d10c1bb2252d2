// What the handlers see of frmMain: control texts, captions, enabled and checked
// states, the baud-rate list position, the progress bar and the event yield.
// Each window implements it over its own controls (the Qt window over its
// widgets, the Win32 window over its child windows); tests implement it over
// plain values.
#pragma once

#include <string>

enum class Control {
    txtTimeout,
    txtRetry,
    cboBaudRate,
    txtCOM,
    txtEnd,
    cmdOK,
    optInteira,
    optUltimos,
    txtUltimos,
    optAte,
    txtDe,
    txtAte,
    cmdGerar,
    cmdLogReset,
    cmdProcurar,
    txtCaminho,
    lblTexto,
    lblAte,
    lblStatus,
    lblNS,
    lblUltimos,
    lblDeAte,
    Timer1, // enabled == running
    // The progress row under lblTexto: bar, percent, time left, "Cancelar".
    prgProgresso,
    lblPercentual,
    lblRestante,
    cmdCancelar,
};

class FormView {
public:
    virtual ~FormView() = default;

    // Text of a text box or of the list's edit line, caption of a label or button; UTF-8.
    virtual std::string text(Control c) const = 0;
    // Writing txtDe/txtAte/txtUltimos through here must fire the window's
    // "option follows the edited number" rule, exactly as typing does.
    virtual void setText(Control c, const std::string& utf8) = 0;
    virtual bool isEnabled(Control c) const = 0;
    virtual void setEnabled(Control c, bool enabled) = 0;
    virtual bool isChecked(Control c) const = 0;
    virtual void setChecked(Control c, bool checked) = 0;
    // cboBaudRate list position, -1 when no entry is selected.
    virtual int listIndex(Control c) const = 0;
    virtual void setListIndex(Control c, int index) = 0;
    // Position of the progress bar prgProgresso, 0 to 100.
    virtual void setValue(Control c, int percent) = 0;
    virtual void setTitle(const std::string& utf8) = 0;
    virtual int topTwips() const = 0;
    virtual int leftTwips() const = 0;
    // Handle every pending window event (repaints, clicks, timer ticks) and return.
    virtual void processEvents() = 0;
};
