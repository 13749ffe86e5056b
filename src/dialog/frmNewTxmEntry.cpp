// The dialog's name and address boxes, the tag check box, OK and Cancel with the connection
// history, and the final unload.

#include "TypeRules.h"
#include "frmNewTxm.h"
#include "support/Failure.h"
#include "ui/Controls.h"

namespace vq {

namespace {
const char* const kLineBreak = "\r\n";

/// Caret to the start and the whole text selected, so that typing replaces it.
void SelectWholeText(ui::TextBox& box) {
    box.SetSelStart(0);
    box.SetSelLength(static_cast<int32_t>(box.Text().size()));
}
}  // namespace

// ---- Name and address entry

void frmNewTxm::txtName_GotFocus() {
    SelectWholeText(txtName);
}

void frmNewTxm::txtName_KeyPress(int16_t& KeyAscii) {
    if (KeyAscii != ui::Keys::Enter) return;
    KeyAscii = 0;
    CommitName();
}

void frmNewTxm::txtName_LostFocus() {
    CommitName();
}

void frmNewTxm::CommitName() {
    WorkTxm()->SetName(txtName.Text());
}

void frmNewTxm::txtAddress_Change() {
    UpdateOkCaption();
}

void frmNewTxm::txtAddress_GotFocus() {
    SelectWholeText(txtAddress);
}

void frmNewTxm::txtAddress_KeyPress(int16_t& KeyAscii) {
    if (KeyAscii != ui::Keys::Enter) return;
    KeyAscii = 0;
    CommitAddress();
}

void frmNewTxm::txtAddress_LostFocus() {
    CommitAddress();
}

void frmNewTxm::CommitAddress() {
    const TransmitterRef& work = WorkTxm();
    std::optional<int16_t> value;
    try {
        value = m_Context.Service().ToInteger(Value(txtAddress.Text()));
    } catch (const Failure&) {
        // Letters, an empty box or a number beyond 16 bits: a refused address.
    }
    const dialog::TypeRule* rule = dialog::RuleOf(work->TxmType());
    if (value && rule != nullptr && *value >= rule->MinAddress && *value <= rule->MaxAddress)
        work->SetAddress(*value);
    ShowWorkTxm();
}

void frmNewTxm::chkTag_Click() {
    if (m_Loading.IsNonZero()) return;
    UpdateOkCaption();
    ShowWorkTxm();
}

std::string frmNewTxm::ReadTag() {
    try {
        const TransmitterRef& work = WorkTxm();
        if (work->TxmType() != 4) return "";
        CommandRef command = m_Context.Product().CreateCommand();
        std::shared_ptr<DeviceInfo> info = work->DeviceInfo();
        std::shared_ptr<CommandDefinition> definition = info ? info->GetCommand("223") : nullptr;
        if (!definition) return "";
        definition->PrepareCommand(command);
        if (!command) return "";
        if (!work->SendCommand(command, 0, 0).IsNonZero()) return "";
        return command->ReplyValue(1).ToText();
    } catch (const std::exception&) {
        return "";  // no description, no definition, a refused transaction: no tag
    }
}

// ---- Confirm, connect and close

void frmNewTxm::cmdOK_Click() {
    const TransmitterRef& work = WorkTxm();
    if (!m_Txm) throw Failure(Codes::ObjectRequired, "The dialog has not been given a transmitter");
    txtHistory.SetText(GetText(217) + work->Describe(7) + kLineBreak);

    m_Txm->SetServer(work->Server());
    m_Txm->SetTxmType(work->TxmType());
    m_Txm->SetAddress(work->Address());
    m_Txm->SetComPort(work->ComPort());
    m_Txm->SetComSettings(work->ComSettings());
    m_Txm->SetProtocol(work->Protocol());
    m_Txm->SetName(work->Name());
    m_Txm->SetVersion(work->Version());
    m_Txm->SetConnected(work->Connected());

    const VbBool allBaudRates = VbBool::From(chkAllBaudRate.Value() != ui::CheckBox::Unchecked);
    if (m_Txm->Connect(allBaudRates).IsNonZero()) {
        if (chkTag.Value() == ui::CheckBox::Checked) {
            const std::string tag = ReadTag();
            if (!tag.empty()) {
                work->SetName(tag);
                m_Txm->SetName(work->Name());
            }
        }
        ShowWorkTxm();
    } else {
        txtHistory.SetText(txtHistory.Text() + kLineBreak + GetText(215));
    }
    m_RetVal = VbTrue;
    m_Form.Hide();
}

void frmNewTxm::cmdCancel_Click() {
    m_RetVal = VbFalse;
    m_Form.Hide();
}

void frmNewTxm::Form_Unload(int16_t& Cancel) {
    if (!ui::UnloadGoesOn(m_Form, m_CloseMe.IsNonZero(), Cancel)) return;
    SharedService& service = m_Context.Service();
    service.SavePlacement(m_Form, service.SettingsFilePath(), kSection, "Window");
    service.WriteSetting(service.SettingsFilePath(), kSection, "AutoName",
                         std::to_string(chkTag.Value()));
    service.WriteSetting(service.SettingsFilePath(), kSection, "AutoSearch",
                         std::to_string(chkAllBaudRate.Value()));
    m_Txm.reset();
    m_Txms.reset();
    m_WorkTxm.reset();
    TransmitterEvents.Reset();
    LanguageEvents.Reset();
}

void frmNewTxm::RegistryEvents::Reset() {
    AutoConnet.Reset();
    TimeOut.Reset();
    TxmConnected.Reset();
}

// ---- Connection history, written while the transmitter connects

void frmNewTxm::TransmitterEvents_AutoConnet(std::string& Settings) {
    AppendHistory(kLineBreak + Settings + "...");
}

void frmNewTxm::TransmitterEvents_TimeOut() {
    AppendHistory(GetText(218));
}

void frmNewTxm::TransmitterEvents_TxmConnected(TransmitterRef& /*Txm*/) {
    AppendHistory(GetText(219));
}

void frmNewTxm::AppendHistory(const std::string& text) {
    txtHistory.SetText(txtHistory.Text() + text);
    // Connect blocks the message loop, so the box is repainted now.
    txtHistory.Refresh();
}

}  // namespace vq
