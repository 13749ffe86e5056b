#pragma once
// The add/edit transmitter dialog, as a presenter over its form model. The opener makes it
// with a WindowContext (the host product, the shared service, the texts, the screen and the
// platform, which are all the dialog reaches besides what it is installed with), installs a
// transmitter and its collection, shows the form modally, reads RetVal, sets CloseMe and
// unloads the form.
//
// The dialog never edits the given transmitter while the user works: at load it copies it
// into a working transmitter, every choice edits that copy, and only OK writes the copy back
// and connects the instrument. Cancel and the title-bar close leave the transmitter as it was.
//
// A failure of an outside call while the dialog loads or while the user makes a choice is
// shown once in a message box titled with the dialog's caption; the dialog stays usable with
// what it could fill. OK, Cancel and the final unload let failures reach the window host.
//
// Auto Connect asks the port-sharing application for a client port (QuennetLink.h). The
// exchange lets window messages through while it waits, so the user can use the dialog
// meanwhile; closing the window ends the exchange without touching the dialog again.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "QuennetLink.h"
#include "support/Collection.h"
#include "support/Product.h"
#include "support/Signal.h"
#include "support/VbBool.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/WindowContext.h"

namespace vq {

class frmNewTxm {
  public:
    explicit frmNewTxm(ui::WindowContext context);
    frmNewTxm(const frmNewTxm&) = delete;
    frmNewTxm& operator=(const frmNewTxm&) = delete;

    /// Keeps the transmitter, a counted reference to the collection and the edit flag (-1 =
    /// edit mode, anything else = add mode) for the load. Returns false, and keeps nothing,
    /// when the transmitter or the collection is missing.
    VbBool Install(const TransmitterRef& Txm, TransmitterCollection* Txms,
                   VbBool EditMode = VbFalse);
    /// True after OK, false after Cancel or a title-bar close.
    VbBool RetVal() const { return m_RetVal; }
    /// While false, an unload only hides the window; when true, the unload saves the dialog's
    /// placement and check boxes and releases the transmitter and the collection.
    VbBool CloseMe() const { return m_CloseMe; }
    void SetCloseMe(VbBool value) { m_CloseMe = value; }

    /// The window model a window host shows.
    ui::Form& Form() { return m_Form; }

  private:
    /// The event-receiving reference to the transmitter registry: its three events.
    struct RegistryEvents {
        Connection AutoConnet;
        Connection TimeOut;
        Connection TxmConnected;
        void Reset();
    };

    /// The section of the host's settings file that keeps the dialog's own settings.
    static constexpr const char* kSection = "New Transmitter";

    void WireControls();

    // Load, captions, lists and display (frmNewTxm.cpp).
    void Form_Load();
    void BindLanguageEvents();
    void BindTransmitterEvents();
    /// Creates the working transmitter and copies the given transmitter's settings into it.
    void MakeWorkTxm();
    /// A check box value stored under "New Transmitter"; 0 when it does not convert.
    int16_t StoredCheckValue(const char* key);
    void ApplyTexts();
    void UpdateOkCaption();
    void FillTypes();
    void FillVersions();
    void FillProtocols();
    void FillSettings();
    void FillPorts();
    void ShowWorkTxm();
    VbBool IsPortAvailable(int16_t& ComPort);
    void LanguageEvents_OnLanguageChange(int32_t LanguageIndex);

    // Choices.
    void cmbType_Click();
    void cmbVersion_Click();
    void cmbProtocol_Click();
    void cmbSettings_Click();
    void cmbPort_Click();
    void chkAllBaudRate_Click();

    // Name and address entry (frmNewTxmEntry.cpp).
    void txtName_GotFocus();
    void txtName_KeyPress(int16_t& KeyAscii);
    void txtName_LostFocus();
    void txtAddress_Change();
    void txtAddress_GotFocus();
    void txtAddress_KeyPress(int16_t& KeyAscii);
    void txtAddress_LostFocus();
    void chkTag_Click();
    void CommitName();
    void CommitAddress();
    std::string ReadTag();

    // Confirm, connect and close.
    void cmdOK_Click();
    void cmdCancel_Click();
    void Form_Unload(int16_t& Cancel);
    void TransmitterEvents_AutoConnet(std::string& Settings);
    void TransmitterEvents_TimeOut();
    void TransmitterEvents_TxmConnected(TransmitterRef& Txm);
    void AppendHistory(const std::string& text);

    // Auto Connect: the link to the port-sharing application (frmNewTxmQuennet.cpp).
    void cmdQuennetConnect_Click();
    /// Takes the port Quennet assigned: into the working transmitter and the port list.
    void SelectAssignedPort();
    void ShowQuennetMessage(const char* text);

    // Helpers.
    /// A text of the string table in the language of the dialog's shared service.
    std::string GetText(int16_t id) const { return m_Context.GetText(id); }
    /// The working transmitter; throws Failure when it could not be made.
    const TransmitterRef& WorkTxm() const;
    TransmitterCollection& Txms() const;
    /// Selects a list entry; a position outside the list leaves the list as it is.
    static void SelectEntry(ui::DropDownList& list, int32_t index);
    /// Selects a list entry; a position outside the list selects none.
    static void SelectEntryOrNone(ui::DropDownList& list, int32_t index);
    /// Runs a step with the choice handlers silenced.
    void WhileLoading(const std::function<void()>& step);
    /// Runs a handler of the user's or of the load; the first failure inside it (including
    /// handlers it sets off) is shown once it has finished.
    void Guarded(const std::function<void()>& handler);
    /// Runs one step of a handler; a failure is kept for the report and the handler goes on.
    void Attempt(const std::function<void()>& step);
    void ReportFailure();

    ui::WindowContext m_Context;

    // The window and its controls, in the order of the tab table; the form outlives them.
    ui::Form m_Form;
    ui::ControlArray<ui::Frame> fraMisc;
    ui::ControlArray<ui::Label> lblMisc;
    ui::TextBox txtName;
    ui::TextBox txtAddress;
    ui::DropDownList cmbType;
    ui::DropDownList cmbVersion;
    ui::DropDownList cmbPort;
    ui::DropDownList cmbSettings;
    ui::DropDownList cmbProtocol;
    ui::TextBox txtHistory;
    ui::CheckBox chkTag;
    ui::CheckBox chkAllBaudRate;
    ui::CommandButton cmdOK;
    ui::CommandButton cmdCancel;
    ui::CommandButton cmdQuennetConnect;

    // State.
    TransmitterRef m_Txm;
    CollectionRef m_Txms;
    TransmitterRef m_WorkTxm;
    VbBool m_Loading = VbFalse;
    VbBool m_RetVal = VbFalse;
    VbBool m_CloseMe = VbFalse;
    VbBool m_EditMode = VbFalse;
    RegistryEvents TransmitterEvents;
    Connection LanguageEvents;
    /// Made at the first Auto Connect click; its fields then live as long as the dialog.
    std::unique_ptr<dialog::QuennetLink> m_Quennet;
    bool m_QuennetRunning = false;

    int m_HandlerDepth = 0;
    std::optional<std::string> m_PendingFailure;
    std::vector<Connection> m_ControlEvents;
};

}  // namespace vq
