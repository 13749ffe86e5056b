// The list window's toolbar commands: add, edit, remove and connect transmitters, restore and
// save configuration files, OK and close.

#include "frmTxms.h"

#include "support/Failure.h"
#include "ui/Screen.h"

namespace vq {

namespace {

/// The section of a .txm file that holds the whole collection.
const char* const kConfigurationSection = "TxmConfiguration";
/// The index key that stands for every transmitter.
const Value kAllTransmitters{int16_t{-1}};

/// Runs a step whose failure is ignored.
template <class Step>
void Ignore(Step&& step) {
    try {
        step();
    } catch (const Failure&) {
    }
}

/// Sets a window's mouse pointer for as long as it lives, then the default one again.
class BusyPointer {
  public:
    explicit BusyPointer(ui::Form& form) : m_Form(form) {
        m_Form.SetMousePointer(ui::MousePointers::Hourglass);
    }
    ~BusyPointer() { m_Form.SetMousePointer(ui::MousePointers::Default); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

  private:
    ui::Form& m_Form;
};

}  // namespace

void frmTxms::atbMisc_ToolClick(const ui::Tool& Tool) {
    const std::string& id = Tool.Id;
    if (id == "ID_New") {
        RunCommand(&frmTxms::AddTransmitter);
    } else if (id == "ID_Modify") {
        RunCommand(&frmTxms::EditTransmitter);
    } else if (id == "ID_Delete") {
        RunCommand(&frmTxms::RemoveTransmitter);
    } else if (id == "ID_Connect") {
        RunCommand(&frmTxms::ConnectTransmitters);
    } else if (id == "ID_Open") {
        RunCommand(&frmTxms::RestoreCommand);
    } else if (id == "ID_Save") {
        if (m_Txms != nullptr) SaveConfiguration();
    } else if (id == "ID_Cancel") {
        m_RetVal = -1;
        m_Form.Hide();
    } else if (id == "ID_Ok") {
        m_Form.Hide();
    }
}

void frmTxms::RunCommand(void (frmTxms::*command)()) {
    if (m_Txms == nullptr) return;
    const int32_t selected = lvTxms.SelectedIndex();
    try {
        (this->*command)();
    } catch (const Failure& failure) {
        // The command may have changed the collection before it failed: show it as it is,
        // keeping the user's row when it is still there.
        RefillList();
        if (selected <= lvTxms.Count()) lvTxms.Select(selected);
        m_Context.Service().ShowMessage(failure.Description(), 0, 16, m_Form.Caption(), nullptr);
    }
}

void frmTxms::AddTransmitter() {
    const std::string name = Txms().GetNextTxmName();
    const TransmitterRef added =
        Txms().Add(Value(""), 1, 1, 1, "4800,n,8,1", 1, name, VbFalse, VbFalse);
    if (!added) {
        // The next add offers the same number again.
        --m_Context.UntitledCounter();
        return;
    }
    RefillList();
    lvTxms.Select(lvTxms.Count());
}

void frmTxms::EditTransmitter() {
    const int32_t i = lvTxms.SelectedIndex();
    if (i == 0) return;
    if (Txms().Edit(Txms().Item(Value(i))).IsTrue()) {
        RefillList();
        lvTxms.Select(i);
    }
}

void frmTxms::RemoveTransmitter() {
    const int32_t i = lvTxms.SelectedIndex();
    if (i == 0) return;
    if (i <= Txms().Count()) {
        Txms().Remove(Value(i));
        lvTxms.Remove(i);
    }
    if (Txms().Count() < 1) SetEditToolsEnabled(false);
    // The list view's own selection after the removal stands: none, as the selected row went.
}

void frmTxms::ConnectTransmitters() {
    const BusyPointer busy(m_Form);
    if (chkAllTxm.Value() == ui::CheckBox::Checked) {
        for (const TransmitterRef& txm : Txms().Transmitters()) txm->Connect(VbTrue);
    } else if (const int32_t i = lvTxms.SelectedIndex(); i != 0) {
        if (const TransmitterRef txm = Txms().Item(Value(i))) txm->Connect(VbTrue);
    }
    const int32_t selected = lvTxms.SelectedIndex();
    RefillList();
    if (selected != 0) lvTxms.Select(selected);
}

VbBool frmTxms::RestoreConfiguration() {
    const std::shared_ptr<ConfigChooser> chooser = m_Context.Product().ConfigChooser();
    if (!chooser) throw Failure(Codes::ObjectRequired, "The host product has no chooser");
    chooser->SetTxm(Txms().ActiveTxm());
    chooser->Run(8, m_FileName, -1, 0);
    m_FileName = chooser->FileName();
    chooser->SetFinished(VbTrue);
    chooser->Answer();
    if (m_FileName.empty()) return VbFalse;

    Txms().Clear();
    Txms().Load(m_FileName, kConfigurationSection, kAllTransmitters, VbTrue);
    RefillList();
    return VbTrue;
}

VbBool frmTxms::SaveConfiguration() {
    SharedService& service = m_Context.Service();
    std::string fileName;
    std::string folder;
    Ignore([&] {
        const std::shared_ptr<PathSplitter> splitter = service.PathSplitter();
        if (!splitter) return;
        splitter->SetFullName(m_FileName);
        fileName = splitter->FileName();
        folder = splitter->Folder();
    });
    dlgMisc.SetDialogTitle(GetText(401));
    dlgMisc.SetFileName(fileName);
    if (folder.empty())
        Ignore([&] { dlgMisc.SetInitDir(service.DefaultFolder()); });
    else
        dlgMisc.SetInitDir(folder);
    dlgMisc.SetFilter(m_Context.GetEnglishText(402));
    dlgMisc.SetDefaultExt("*.txm");
    dlgMisc.SetCancelError(true);
    dlgMisc.SetFlags(ui::FileDialogFlags::OverwritePrompt | ui::FileDialogFlags::HideReadOnly);
    try {
        dlgMisc.ShowSave();
    } catch (const Failure&) {
        return VbFalse;  // the user cancelled
    }
    m_FileName = dlgMisc.FileName();
    Ignore([&] { Txms().Save(m_FileName, kConfigurationSection, kAllTransmitters); });
    return VbTrue;
}

}  // namespace vq
