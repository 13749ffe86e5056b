// The list window's set-up, load, rows, captions and unload.

#include "frmTxms.h"

#include <cstdio>

#include "support/Failure.h"
#include "ui/Screen.h"

namespace vq {

namespace {

/// Widths of the five columns when the window is made; the first four are replaced at load.
constexpr float kInitialWidths[] = {1440, 1440, 1440, 1440, 2540};
/// Space between the list and the box that holds the toolbar.
constexpr int32_t kToolBarGap = 120;

/// A width as decimal text with at most seven significant digits, without a leading blank or
/// trailing zeros: 1440 gives "1440", 1234.5 gives "1234.5".
std::string WidthText(float width) {
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", static_cast<double>(width));
    return text;
}

/// The entries of a stored list: the texts between separators. The text after the last
/// separator is an entry only when it is not empty, so "1|2|" and "1|2" both hold two.
std::vector<std::string> Entries(const std::string& text, const std::string& separator) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    for (std::size_t at; !separator.empty() && (at = text.find(separator, start)) != text.npos;
         start = at + separator.size())
        entries.push_back(text.substr(start, at - start));
    if (start < text.size()) entries.push_back(text.substr(start));
    return entries;
}

}  // namespace

frmTxms::frmTxms(ui::WindowContext context)
    : m_Context(std::move(context)),
      m_Form("frmTxms", 9480, 4335),
      lvTxms(m_Form, "lvTxms", -1, nullptr, {120, 120, 8535, 3735}, 0),
      picToolBar(m_Form, "picToolBar", -1, nullptr, {8775, 120, 480, 3735}),
      atbMisc(m_Form, "atbMisc", -1, &picToolBar),
      chkAllTxm(m_Form, "chkAllTxm", -1, nullptr, {120, 3960, 4455, 255}, 1),
      dlgMisc(m_Form, "dlgMisc") {
    for (float width : kInitialWidths) lvTxms.AddColumn("", width);
    AddTools();
    WireControls();
}

void frmTxms::AddTools() {
    atbMisc.AddTool("ID_New", "General", "Creates a new METERS.INI file.");
    atbMisc.AddTool("ID_Delete", "General");
    atbMisc.AddTool("ID_Modify", "General");
    atbMisc.AddTool("ID_Connect", "General");
    atbMisc.AddSeparator();
    atbMisc.AddTool("ID_Open", "General", "Opens an existing Ordvane meter description file.");
    atbMisc.AddTool("ID_Save", "General", "Saves the active document.");
    atbMisc.AddSeparator();
    atbMisc.AddTool("ID_Ok", "General");
    atbMisc.AddTool("ID_Cancel", "General");
}

void frmTxms::WireControls() {
    auto& events = m_ControlEvents;
    events.push_back(m_Form.OnLoad().Connect([this] { Form_Load(); }));
    events.push_back(m_Form.OnQueryUnload().Connect(
        [this](int16_t& cancel, int16_t mode) { Form_QueryUnload(cancel, mode); }));
    events.push_back(m_Form.OnUnload().Connect([this](int16_t& cancel) { Form_Unload(cancel); }));
    events.push_back(lvTxms.OnItemClick().Connect([this](int32_t row) { lvTxms_ItemClick(row); }));
    // The real toolbar reports its width once it shows its captions, and again when they
    // change language.
    events.push_back(atbMisc.OnChanged().Connect([this] {
        if (atbMisc.DockedVertically()) PlaceToolBarBox();
    }));
    events.push_back(
        atbMisc.OnToolClick().Connect([this](const ui::Tool& tool) { atbMisc_ToolClick(tool); }));
}

VbBool frmTxms::Install(TransmitterCollection* Txms) {
    const bool given = Txms != nullptr;
    if (given) m_Txms = Txms;
    m_RetVal = -1;
    m_FileName = m_Context.Service().GetString(208) + ".txm";
    return VbBool::From(given);
}

TransmitterCollection& frmTxms::Txms() const {
    if (m_Txms == nullptr)
        throw Failure(Codes::ObjectRequired, "The list window has no transmitter collection");
    return *m_Txms;
}

// ---- Load

void frmTxms::Form_Load() {
    m_CloseMe = VbFalse;
    BindLanguageEvents();
    SharedService& service = m_Context.Service();
    service.RestorePlacement(m_Form, service.SettingsFilePath(), kSection, "Window");
    lvTxms.Clear();
    RestoreColumnWidths();
    ArrangeToolBar();
    const std::string all = service.ReadSetting(service.SettingsFilePath(), kSection, "All", "0");
    chkAllTxm.SetValue(StoredInteger("All", all));
    ApplyTexts();
    FillList();
    try {
        if (m_Txms != nullptr) lvTxms.Select(m_Txms->ActiveTxmIndex());
    } catch (const Failure&) {
        // No row for the active transmitter: the selection stays as it is.
    }
    UpdateRetVal();
}

void frmTxms::BindLanguageEvents() {
    std::shared_ptr<LanguageObject> language = m_Context.Service().Language();
    if (!language)
        throw Failure(Codes::ObjectRequired, "The shared service has no language object");
    LanguageEvents = language->OnLanguageChange().Connect(
        [this](int32_t index) { LanguageEvents_OnLanguageChange(index); });
}

int16_t frmTxms::StoredInteger(const std::string& key, const std::string& text) {
    try {
        return m_Context.Service().ToInteger(Value(text));
    } catch (const Failure& failure) {
        throw Failure(failure.Code(), "The setting \"" + key + "\" of section \"" + kSection +
                                          "\" holds " + Quoted(text) + ": " +
                                          failure.Description());
    }
}

void frmTxms::RestoreColumnWidths() {
    SharedService& service = m_Context.Service();
    const std::string stored =
        service.ReadSetting(service.SettingsFilePath(), kSection, "Width", "1440|1440|1440|1440|");
    const std::vector<std::string> widths = Entries(stored, service.ListSeparator());
    // A column without an entry keeps its width; the last column is never restored.
    for (std::size_t i = 0; i < 4 && i < widths.size(); ++i)
        lvTxms.SetColumnWidth(static_cast<int32_t>(i + 1), StoredInteger("Width", widths[i]));
}

void frmTxms::ArrangeToolBar() {
    atbMisc.SetDockedVertically(true);
    PlaceToolBarBox();
}

void frmTxms::PlaceToolBarBox() {
    const ui::Bounds& list = lvTxms.Layout();
    const ui::Bounds box{list.Left + list.Width + kToolBarGap, list.Top,
                         atbMisc.VerticalWidth() * m_Context.Screen().TwipsPerPixelX(),
                         list.Height};
    picToolBar.SetLayout(box);
    const int32_t needed = box.Left + box.Width + kToolBarGap;
    if (needed > m_Form.ClientWidth()) m_Form.SetClientSize(needed, m_Form.ClientHeight());
}

void frmTxms::ApplyTexts() {
    m_Form.SetCaption(GetText(301));
    atbMisc.SetToolCaption("ID_New", GetText(303));
    atbMisc.SetToolCaption("ID_Delete", GetText(304));
    atbMisc.SetToolCaption("ID_Modify", GetText(305));
    atbMisc.SetToolCaption("ID_Connect", GetText(306));
    atbMisc.SetToolCaption("ID_Save", GetText(320));
    atbMisc.SetToolCaption("ID_Open", GetText(321));
    atbMisc.SetToolCaption("ID_Ok", m_Context.Service().GetString(200));
    atbMisc.SetToolCaption("ID_Cancel", GetText(311));
    chkAllTxm.SetCaption(GetText(307));
    const int16_t headers[] = {308, 309, 313, 310, 314};
    for (int32_t column = 1; column <= 5; ++column)
        lvTxms.SetColumnText(column, GetText(headers[column - 1]));
}

void frmTxms::LanguageEvents_OnLanguageChange(int32_t /*LanguageIndex*/) {
    ApplyTexts();
}

// ---- Rows

void frmTxms::FillList() {
    if (m_Txms == nullptr || m_Txms->Count() < 1) {
        SetEditToolsEnabled(false);
        return;
    }
    const std::string connected = GetText(315);
    const std::string notConnected = GetText(316);
    for (const TransmitterRef& txm : m_Txms->Transmitters()) {
        const int32_t row = lvTxms.AddItem(txm->Name());
        lvTxms.SetSubItem(row, 1, std::to_string(txm->Address()));
        lvTxms.SetSubItem(row, 2, txm->Version());
        lvTxms.SetSubItem(row, 3, txm->TypeText());
        lvTxms.SetSubItem(row, 4, txm->Connected().IsTrue() ? connected : notConnected);
    }
    SetEditToolsEnabled(true);
}

void frmTxms::RefillList() {
    lvTxms.Clear();
    FillList();
}

void frmTxms::SetEditToolsEnabled(bool enabled) {
    atbMisc.SetToolEnabled("ID_Delete", enabled);
    atbMisc.SetToolEnabled("ID_Modify", enabled);
}

void frmTxms::UpdateRetVal() {
    const int32_t selected = lvTxms.SelectedIndex();
    m_RetVal = lvTxms.Count() > 0 && selected > 0 ? static_cast<int16_t>(selected) : -1;
}

void frmTxms::lvTxms_ItemClick(int32_t /*Index*/) {
    UpdateRetVal();
}

// ---- Closing

void frmTxms::Form_QueryUnload(int16_t& /*Cancel*/, int16_t UnloadMode) {
    if (UnloadMode != static_cast<int16_t>(ui::UnloadMode::FormCode)) m_RetVal = -1;
}

void frmTxms::Form_Unload(int16_t& Cancel) {
    if (!ui::UnloadGoesOn(m_Form, m_CloseMe.IsNonZero(), Cancel)) return;
    SharedService& service = m_Context.Service();
    service.SavePlacement(m_Form, service.SettingsFilePath(), kSection, "Window");
    service.WriteSetting(service.SettingsFilePath(), kSection, "Width", ColumnWidthsText());
    service.WriteSetting(service.SettingsFilePath(), kSection, "All",
                         std::to_string(chkAllTxm.Value()));
    m_Form.Hide();
    m_Txms = nullptr;
    LanguageEvents.Reset();
}

std::string frmTxms::ColumnWidthsText() {
    const std::string separator = m_Context.Service().ListSeparator();
    std::string text;
    for (int32_t column = 1; column <= lvTxms.ColumnCount(); ++column)
        text += WidthText(lvTxms.Column(column).Width) + separator;
    return text;
}

}  // namespace vq
