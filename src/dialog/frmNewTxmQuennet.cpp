// The dialog's Auto Connect button: one exchange with the port-sharing application, then the
// port it assigned or a message saying why there is none.

#include <utility>

#include "frmNewTxm.h"

namespace vq {

using dialog::QntOutcome;

void frmNewTxm::cmdQuennetConnect_Click() {
    // A type choice made while an exchange runs may enable the button again; one exchange at
    // a time.
    if (m_QuennetRunning) return;
    Platform& platform = m_Context.Platform();
    if (!m_Quennet) m_Quennet = std::make_unique<dialog::QuennetLink>(platform);

    cmdQuennetConnect.SetEnabled(false);
    cmdOK.SetEnabled(false);
    // The handlers that run while the exchange lets messages through are the user's own: each
    // reports its failures when it ends, not when the exchange does.
    const int depth = std::exchange(m_HandlerDepth, 0);
    m_QuennetRunning = true;
    QntOutcome outcome = QntOutcome::Abandoned;
    try {
        outcome = m_Quennet->Run([this] { return m_Form.Visible(); });
    } catch (...) {
        m_HandlerDepth = depth;
        m_QuennetRunning = false;
        cmdOK.SetEnabled(true);
        throw;
    }
    m_HandlerDepth = depth;
    m_QuennetRunning = false;

    switch (outcome) {
        case QntOutcome::Abandoned:
            return;  // the window is closed: nothing more to show or choose
        case QntOutcome::NotInstalled:
            ShowQuennetMessage(dialog::QntMessages::NotInstalled);
            cmdQuennetConnect.SetEnabled(true);
            break;
        case QntOutcome::NotStarted:
            ShowQuennetMessage(dialog::QntMessages::NotStarted);
            cmdQuennetConnect.SetEnabled(true);
            break;
        case QntOutcome::Failed:
            ShowQuennetMessage(dialog::QntMessages::Failed);
            break;
        case QntOutcome::Assigned:
            SelectAssignedPort();
            break;
    }
    cmdOK.SetEnabled(true);
}

void frmNewTxm::SelectAssignedPort() {
    const int16_t port = m_Quennet->QntClientPort;
    // The port list has COM1 to COM8 at entries 0 to 7; entry 8 is the modem connection, not a
    // serial port, and there is nothing beyond. Such a port is not taken.
    if (port < 1 || port > 8) {
        ShowQuennetMessage(dialog::QntMessages::Failed);
        return;
    }
    WorkTxm()->SetComPort(port);
    // The selection runs the port list's click, which probes the port as any choice does.
    SelectEntry(cmbPort, port - 1);
}

void frmNewTxm::ShowQuennetMessage(const char* text) {
    m_Context.Service().ShowMessage(text, 0, 0, m_Form.Caption(), nullptr);
}

}  // namespace vq
