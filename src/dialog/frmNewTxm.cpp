#include "frmNewTxm.h"

#include <array>

#include "TypeRules.h"
#include "support/Failure.h"
#include "support/KeyFold.h"

namespace vq {

namespace dialog {

const TypeRule* RuleOf(int32_t txmType) {
    static const std::array<TypeRule, 6> rules{{
        {{"4800,n,8,1"}, "4800,n,8,1", false, false, false, 0, 68},
        {{"4800,n,8,1"}, "4800,n,8,1", false, false, false, 0, 68},
        {{"1200,n,8,1"}, "1200,n,8,1", false, false, true, 0, 68},
        {{"1200,n,8,1", "2400,n,8,1", "4800,n,8,1"}, "4800,n,8,1", true, true, false, 0, 68},
        {{"4800,n,8,1"}, "4800,n,8,1", false, false, false, 70, 78},
        {{"4800,n,8,1"}, "4800,n,8,1", false, true, false, 0, 68},
    }};
    if (txmType < 1 || txmType > static_cast<int32_t>(rules.size())) return nullptr;
    return &rules[static_cast<std::size_t>(txmType - 1)];
}

}  // namespace dialog

using dialog::RuleOf;

namespace {

ui::ControlArray<ui::Frame> MakeFrames(ui::Form& form) {
    ui::ControlArray<ui::Frame> frames;
    frames.Add(form, "fraMisc", nullptr, ui::Bounds{120, 0, 4455, 1815}, 13);
    frames.Add(form, "fraMisc", nullptr, ui::Bounds{120, 1920, 4455, 2895}, 12);
    return frames;
}

ui::ControlArray<ui::Label> MakeLabels(ui::Form& form, ui::ControlArray<ui::Frame>& frames) {
    ui::ControlArray<ui::Label> labels;
    for (int32_t top : {300, 660, 1020, 1380})
        labels.Add(form, "lblMisc", &frames(0), ui::Bounds{120, top, 1800, 195});
    for (int32_t top : {300, 660, 1020})
        labels.Add(form, "lblMisc", &frames(1), ui::Bounds{120, top, 1800, 195});
    return labels;
}

/// A failure that names a missing outside object.
Failure Missing(const std::string& what) {
    return Failure(Codes::ObjectRequired, what);
}

}  // namespace

frmNewTxm::frmNewTxm(ui::WindowContext context)
    : m_Context(std::move(context)),
      m_Form("frmNewTxm", 6030, 5460),
      fraMisc(MakeFrames(m_Form)),
      lblMisc(MakeLabels(m_Form, fraMisc)),
      txtName(m_Form, "txtName", -1, &fraMisc(0), {2040, 240, 2295, 315}, 0),
      txtAddress(m_Form, "txtAddress", -1, &fraMisc(0), {2040, 600, 735, 315}, 1),
      cmbType(m_Form, "cmbType", -1, &fraMisc(0), {2040, 960, 2295, 315}, 2),
      cmbVersion(m_Form, "cmbVersion", -1, &fraMisc(0), {2040, 1320, 2295, 315}, 3),
      cmbPort(m_Form, "cmbPort", -1, &fraMisc(1), {2040, 240, 2295, 315}, 4),
      cmbSettings(m_Form, "cmbSettings", -1, &fraMisc(1), {2040, 600, 2295, 315}, 5),
      cmbProtocol(m_Form, "cmbProtocol", -1, &fraMisc(1), {2040, 960, 2295, 315}, 6),
      txtHistory(m_Form, "txtHistory", -1, &fraMisc(1), {120, 1320, 4215, 1455}, 7,
                 ui::TextBoxStyle{.MultiLine = true,
                                  .VerticalScrollBar = true,
                                  .Locked = true,
                                  .BackColor = ui::SystemColor::ButtonFace}),
      chkTag(m_Form, "chkTag", -1, nullptr, {120, 4920, 4455, 255}, 8),
      chkAllBaudRate(m_Form, "chkAllBaudRate", -1, nullptr, {120, 5160, 4455, 255}, 9),
      cmdOK(m_Form, "cmdOK", -1, nullptr, {4680, 120, 1215, 375}, 10),
      cmdCancel(m_Form, "cmdCancel", -1, nullptr, {4680, 600, 1215, 375}, 11,
                ui::ButtonStyle{.Cancel = true}),
      cmdQuennetConnect(m_Form, "cmdQuennetConnect", -1, nullptr, {4680, 1080, 1215, 375}, 21) {
    cmdQuennetConnect.SetEnabled(false);
    WireControls();
}

void frmNewTxm::WireControls() {
    auto& events = m_ControlEvents;
    auto guarded = [this](void (frmNewTxm::*handler)()) {
        return [this, handler] { Guarded([this, handler] { (this->*handler)(); }); };
    };
    auto keyPress = [this](void (frmNewTxm::*handler)(int16_t&)) {
        return [this, handler](int16_t& key) { Guarded([&] { (this->*handler)(key); }); };
    };
    events.push_back(m_Form.OnLoad().Connect(guarded(&frmNewTxm::Form_Load)));
    events.push_back(m_Form.OnUnload().Connect([this](int16_t& cancel) { Form_Unload(cancel); }));
    events.push_back(cmbType.OnClick().Connect(guarded(&frmNewTxm::cmbType_Click)));
    events.push_back(cmbVersion.OnClick().Connect(guarded(&frmNewTxm::cmbVersion_Click)));
    events.push_back(cmbProtocol.OnClick().Connect(guarded(&frmNewTxm::cmbProtocol_Click)));
    events.push_back(cmbSettings.OnClick().Connect(guarded(&frmNewTxm::cmbSettings_Click)));
    events.push_back(cmbPort.OnClick().Connect(guarded(&frmNewTxm::cmbPort_Click)));
    events.push_back(chkAllBaudRate.OnClick().Connect(guarded(&frmNewTxm::chkAllBaudRate_Click)));
    events.push_back(chkTag.OnClick().Connect(guarded(&frmNewTxm::chkTag_Click)));
    events.push_back(txtName.OnGotFocus().Connect(guarded(&frmNewTxm::txtName_GotFocus)));
    events.push_back(txtName.OnKeyPress().Connect(keyPress(&frmNewTxm::txtName_KeyPress)));
    events.push_back(txtName.OnLostFocus().Connect(guarded(&frmNewTxm::txtName_LostFocus)));
    events.push_back(txtAddress.OnChange().Connect(guarded(&frmNewTxm::txtAddress_Change)));
    events.push_back(txtAddress.OnGotFocus().Connect(guarded(&frmNewTxm::txtAddress_GotFocus)));
    events.push_back(txtAddress.OnKeyPress().Connect(keyPress(&frmNewTxm::txtAddress_KeyPress)));
    events.push_back(txtAddress.OnLostFocus().Connect(guarded(&frmNewTxm::txtAddress_LostFocus)));
    events.push_back(cmdOK.OnClick().Connect([this] { cmdOK_Click(); }));
    events.push_back(cmdCancel.OnClick().Connect([this] { cmdCancel_Click(); }));
    events.push_back(
        cmdQuennetConnect.OnClick().Connect(guarded(&frmNewTxm::cmdQuennetConnect_Click)));
}

VbBool frmNewTxm::Install(const TransmitterRef& Txm, TransmitterCollection* Txms, VbBool EditMode) {
    if (!Txm || Txms == nullptr) return VbFalse;
    CollectionRef counted = Txms->Counted();
    m_Txm = Txm;
    m_Txms = std::move(counted);
    m_EditMode = EditMode;
    return VbTrue;
}

// ---- Failure reporting and helpers

void frmNewTxm::Guarded(const std::function<void()>& handler) {
    ++m_HandlerDepth;
    Attempt(handler);
    if (--m_HandlerDepth == 0) ReportFailure();
}

void frmNewTxm::Attempt(const std::function<void()>& step) {
    try {
        step();
    } catch (const Failure& failure) {
        if (!m_PendingFailure) m_PendingFailure = failure.Description();
    }
}

void frmNewTxm::ReportFailure() {
    if (!m_PendingFailure) return;
    const std::string description = std::move(*m_PendingFailure);
    m_PendingFailure.reset();
    try {
        m_Context.Service().ShowMessage(description, 0, 16, m_Form.Caption(), nullptr);
    } catch (const Failure&) {
        // Nowhere left to show it; the dialog goes on.
    }
}

void frmNewTxm::WhileLoading(const std::function<void()>& step) {
    m_Loading = VbTrue;
    try {
        step();
    } catch (...) {
        m_Loading = VbFalse;
        throw;
    }
    m_Loading = VbFalse;
}

const TransmitterRef& frmNewTxm::WorkTxm() const {
    if (!m_WorkTxm) throw Missing("The dialog has no working transmitter");
    return m_WorkTxm;
}

TransmitterCollection& frmNewTxm::Txms() const {
    if (!m_Txms) throw Missing("The dialog has not been given a transmitter collection");
    return *m_Txms;
}

void frmNewTxm::SelectEntry(ui::DropDownList& list, int32_t index) {
    if (index >= 0 && index < list.ListCount()) list.SetListIndex(index);
}

void frmNewTxm::SelectEntryOrNone(ui::DropDownList& list, int32_t index) {
    list.SetListIndex(index >= 0 && index < list.ListCount() ? index : -1);
}

// ---- Load

int16_t frmNewTxm::StoredCheckValue(const char* key) {
    SharedService& service = m_Context.Service();
    const std::string text = service.ReadSetting(service.SettingsFilePath(), kSection, key, "0");
    try {
        return service.ToInteger(Value(text));
    } catch (const Failure&) {
        return 0;  // a stored value the integer conversion refuses reads as 0
    }
}

void frmNewTxm::Form_Load() {
    m_Loading = VbTrue;
    m_CloseMe = VbFalse;
    m_Context.Screen().SetMousePointer(ui::MousePointers::ArrowHourglass);

    Attempt([&] { BindLanguageEvents(); });
    Attempt([&] { BindTransmitterEvents(); });
    Attempt([&] {
        SharedService& service = m_Context.Service();
        service.RestorePlacement(m_Form, service.SettingsFilePath(), kSection, "Window");
    });
    Attempt([&] { chkTag.SetValue(StoredCheckValue("AutoName")); });
    Attempt([&] { chkAllBaudRate.SetValue(StoredCheckValue("AutoSearch")); });
    Attempt([&] { MakeWorkTxm(); });
    ApplyTexts();
    for (auto fill : {&frmNewTxm::FillPorts, &frmNewTxm::FillSettings, &frmNewTxm::FillProtocols,
                      &frmNewTxm::FillTypes, &frmNewTxm::FillVersions})
        Attempt([&] { (this->*fill)(); });
    Attempt([&] {
        if (const dialog::TypeRule* rule = RuleOf(WorkTxm()->TxmType()))
            chkTag.SetEnabled(rule->TagEnabledAfterLoad);
    });
    Attempt([&] { ShowWorkTxm(); });

    m_Loading = VbFalse;
    m_Context.Screen().SetMousePointer(ui::MousePointers::Default);
}

void frmNewTxm::BindLanguageEvents() {
    std::shared_ptr<LanguageObject> language = m_Context.Service().Language();
    if (!language) throw Missing("The shared service has no language object");
    LanguageEvents = language->OnLanguageChange().Connect(
        [this](int32_t index) { LanguageEvents_OnLanguageChange(index); });
}

void frmNewTxm::BindTransmitterEvents() {
    std::shared_ptr<TransmitterRegistry> registry = m_Context.Service().Registry();
    if (!registry) throw Missing("The shared service has no transmitter registry");
    TransmitterEvents.AutoConnet = registry->AutoConnet().Connect(
        [this](std::string& settings) { TransmitterEvents_AutoConnet(settings); });
    TransmitterEvents.TimeOut =
        registry->TimeOut().Connect([this] { TransmitterEvents_TimeOut(); });
    TransmitterEvents.TxmConnected = registry->TxmConnected().Connect(
        [this](TransmitterRef& txm) { TransmitterEvents_TxmConnected(txm); });
}

void frmNewTxm::MakeWorkTxm() {
    if (!m_Txm) throw Missing("The dialog has not been given a transmitter");
    m_WorkTxm = m_Context.Product().CreateTransmitter();
    if (!m_WorkTxm) throw Missing("The host product made no transmitter for the dialog");
    m_WorkTxm->SetServer(m_Txm->Server());
    m_WorkTxm->SetTxmType(m_Txm->TxmType());
    m_WorkTxm->SetAddress(m_Txm->Address());
    m_WorkTxm->SetComPort(m_Txm->ComPort());
    m_WorkTxm->SetComSettings(m_Txm->ComSettings());
    m_WorkTxm->SetProtocol(m_Txm->Protocol());
    m_WorkTxm->SetName(m_Txm->Name());
    m_WorkTxm->SetVersion(m_Txm->Version());
    m_WorkTxm->SetParent(m_Txm->Parent());
}

void frmNewTxm::ApplyTexts() {
    m_Form.SetCaption(GetText(m_EditMode.IsTrue() ? 220 : 201));
    fraMisc(0).SetCaption(GetText(202));
    for (int16_t i = 0; i <= 3; ++i) lblMisc(i).SetCaption(GetText(static_cast<int16_t>(203 + i)));
    fraMisc(1).SetCaption(GetText(207));
    for (int16_t i = 4; i <= 6; ++i) lblMisc(i).SetCaption(GetText(static_cast<int16_t>(204 + i)));
    UpdateOkCaption();
    cmdCancel.SetCaption(GetText(212));
    cmdQuennetConnect.SetCaption(GetText(225));
    chkTag.SetCaption(GetText(213));
    chkAllBaudRate.SetCaption(GetText(214));
}

void frmNewTxm::UpdateOkCaption() {
    cmdOK.SetCaption(GetText(m_EditMode.IsTrue() ? 221 : 211));
}

void frmNewTxm::LanguageEvents_OnLanguageChange(int32_t /*LanguageIndex*/) {
    ApplyTexts();
}

// ---- Lists

void frmNewTxm::FillTypes() {
    cmbType.Clear();
    for (const DeviceServerRef& server : Txms().Servers().Items()) {
        if (!server) throw Missing("The transmitter collection holds an empty device server");
        cmbType.AddItem(server->TypeName());
    }
}

void frmNewTxm::FillVersions() {
    cmbVersion.Clear();
    std::shared_ptr<DeviceInfo> info = WorkTxm()->DeviceInfo();
    if (!info) throw Missing("The transmitter has no device description");
    for (const std::string& version : info->Versions()) cmbVersion.AddItem(version);
}

void frmNewTxm::FillProtocols() {
    cmbProtocol.Clear();
    DeviceServerRef server = WorkTxm()->Server();
    if (!server) throw Missing("The transmitter has no device server");
    for (const std::string& protocol : server->Protocols()) cmbProtocol.AddItem(protocol);
}

void frmNewTxm::FillSettings() {
    const dialog::TypeRule* rule = RuleOf(WorkTxm()->TxmType());
    if (rule == nullptr) return;
    cmbSettings.Clear();
    for (const std::string& settings : rule->Settings) cmbSettings.AddItem(settings);
}

void frmNewTxm::FillPorts() {
    cmbPort.Clear();
    for (int i = 1; i <= 8; ++i) cmbPort.AddItem(GetText(224) + std::to_string(i));
    cmbPort.AddItem(GetText(223));
}

// ---- Display

void frmNewTxm::ShowWorkTxm() {
    const TransmitterRef& work = WorkTxm();
    txtName.SetText(work->Name());
    const bool useTag = chkTag.Enabled() && chkTag.Value() == ui::CheckBox::Checked;
    txtName.SetBackColor(useTag ? ui::SystemColor::ButtonFace : ui::SystemColor::WindowBackground);
    txtName.SetLocked(useTag);

    if (RuleOf(work->TxmType()) != nullptr) {
        txtAddress.SetText(std::to_string(work->Address()));
        txtAddress.SetBackColor(ui::SystemColor::WindowBackground);
        txtAddress.SetLocked(false);
    }
    SelectEntry(cmbType, work->TxmType() - 1);

    const std::string version = work->Version();
    const std::string wanted = UpperCase(version);
    int32_t match = -1;
    for (int32_t i = 0; i < cmbVersion.ListCount() && match < 0; ++i) {
        if (UpperCase(cmbVersion.List(i)) == wanted) match = i;
    }
    if (match < 0 && !version.empty()) {
        cmbVersion.AddItem(version);
        match = cmbVersion.ListCount() - 1;
    }
    SelectEntry(cmbVersion, match < 0 ? 0 : match);

    SelectEntry(cmbPort, work->ComPort() - 1);
    const std::string settings = work->ComSettings();
    for (int32_t i = 0; i < cmbSettings.ListCount(); ++i) {
        if (settings.find(cmbSettings.List(i)) != std::string::npos) {
            SelectEntry(cmbSettings, i);
            break;
        }
    }
    SelectEntry(cmbProtocol, work->Protocol() - 1);
}

VbBool frmNewTxm::IsPortAvailable(int16_t& ComPort) {
    try {
        DeviceServerRef server = WorkTxm()->Server();
        std::shared_ptr<PortObject> port = server ? server->GetComObject() : nullptr;
        if (!port) return VbFalse;
        if (WorkTxm()->TxmType() == 3) {
            const int16_t previous = port->HartPortNumber();
            port->SetHartPortNumber(ComPort);
            if (port->ErrorValue() != 0) {
                port->SetCommPortByName(previous);
                return VbFalse;
            }
            return VbTrue;
        }
        if (port->Open().IsNonZero()) port->SetOpen(VbFalse);
        port->SetPortNumber(ComPort);
        if (port->Open().IsNonZero()) return VbFalse;
        port->SetOpen(VbTrue);
        port->SetOpen(VbFalse);
        return VbTrue;
    } catch (const std::exception&) {
        return VbFalse;  // a port another program holds, or a server without a port object
    }
}

// ---- Choices

void frmNewTxm::cmbType_Click() {
    if (m_Loading.IsNonZero()) return;
    const TransmitterRef& work = WorkTxm();
    work->SetTxmType(cmbType.ListIndex() + 1);
    work->SetServer(Txms().Servers().At(work->TxmType()));
    cmdQuennetConnect.SetEnabled(false);
    if (const dialog::TypeRule* rule = RuleOf(work->TxmType())) {
        work->SetProtocol(1);
        work->SetComSettings(rule->ComSettings);
        work->SetVersion("");
        chkTag.SetEnabled(rule->TagEnabledAfterChoice);
        cmdQuennetConnect.SetEnabled(rule->AutoConnectAfterChoice);
    }
    UpdateOkCaption();
    for (auto step : {&frmNewTxm::FillProtocols, &frmNewTxm::FillSettings, &frmNewTxm::FillVersions,
                      &frmNewTxm::ShowWorkTxm})
        Attempt([&] { (this->*step)(); });
}

void frmNewTxm::cmbVersion_Click() {
    // Not silenced while loading: the load stores the entry it shows.
    if (cmbVersion.ListIndex() < 0) return;
    const std::string chosen = cmbVersion.Text();
    if (chosen != WorkTxm()->Version()) WorkTxm()->SetVersion(chosen);
}

void frmNewTxm::cmbProtocol_Click() {
    if (m_Loading.IsNonZero()) return;
    WorkTxm()->SetProtocol(cmbProtocol.ListIndex() + 1);
    UpdateOkCaption();
}

void frmNewTxm::cmbSettings_Click() {
    if (m_Loading.IsNonZero()) return;
    WorkTxm()->SetComSettings(cmbSettings.Text());
    UpdateOkCaption();
}

void frmNewTxm::cmbPort_Click() {
    if (m_Loading.IsNonZero()) return;
    int16_t port = static_cast<int16_t>(cmbPort.ListIndex() + 1);
    if (IsPortAvailable(port).IsNonZero()) {
        WorkTxm()->SetComPort(port);
    } else {
        m_Context.Service().ShowMessage(GetText(222) + "\r\nCOM" + std::to_string(port), 0, 48,
                                        m_Form.Caption(), nullptr);
        // Back to the stored port; a stored port without an entry shows none rather than the
        // refused one.
        WhileLoading([&] { SelectEntryOrNone(cmbPort, WorkTxm()->ComPort() - 1); });
    }
    UpdateOkCaption();
}

void frmNewTxm::chkAllBaudRate_Click() {
    if (m_Loading.IsNonZero()) return;
    UpdateOkCaption();
    ShowWorkTxm();
}

}  // namespace vq
