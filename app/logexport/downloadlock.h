// What a running download locks in the window besides its two buttons: the
// link and its settings. A "Desconectar" then "Conectar" inside one of its
// yields would switch the download buttons on again, so that a second
// download could start on the same template and the same walk; and a port
// field edited or a port chosen meanwhile would not be the port in use.
// "Cancelar" is the way to stop.
#pragma once

class FormView;
struct FormValues;

class DownloadLock {
public:
    DownloadLock(FormView& view, FormValues& values) : m_view(view), m_values(values) {}
    // Releases a lock still held: an error ended the download.
    ~DownloadLock();
    DownloadLock(const DownloadLock&) = delete;
    DownloadLock& operator=(const DownloadLock&) = delete;

    // cmdOK and the port fields off, and the window told a download runs.
    void hold();
    // cmdOK on, the port fields as the link now stands (off while it is open,
    // as the poll keeps them). Does nothing unless held.
    void release() noexcept;

private:
    FormView& m_view;
    FormValues& m_values;
    bool m_held = false;
};
