#include "logexport/downloadlock.h"

#include "connection/portlink.h"
#include "core/formvalues.h"
#include "core/formview.h"

DownloadLock::~DownloadLock()
{
    release();
}

void DownloadLock::hold()
{
    m_held = true;
    m_values.downloadRunning = true;
    m_view.setEnabled(Control::cmdOK, false);
    switchPortFields(m_view, false);
}

void DownloadLock::release() noexcept
{
    if (!m_held)
        return;
    m_held = false;
    m_values.downloadRunning = false;
    try {
        switchPortFields(m_view, !m_values.PortaAberta);
        m_view.setEnabled(Control::cmdOK, true);
    } catch (...) {
        // Only reached from an error path, which tells its own error.
    }
}
