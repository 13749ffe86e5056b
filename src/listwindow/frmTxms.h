#pragma once
// The transmitter list window, as a presenter over its form model. The opener makes it with a
// WindowContext (the host product, the shared service, the texts, the screen and the
// untitled-name counter, which are all the window reaches besides the collection it is
// installed with), installs the collection, shows the form modally, reads RetVal, sets CloseMe
// and unloads the form.
//
// One row per transmitter, in the collection's order, so a row's number is the transmitter's
// position. The toolbar at the right of the list adds, removes, edits and connects
// transmitters, restores and saves whole configurations as .txm files, and ends the window.
// The window's placement, its column widths and the connect-all check box are kept in the
// section "Transmitters" of the host's settings file, written only by the final unload.
//
// Failures: a failure raised by a restore, add, edit, remove or connect is shown in a message
// box titled with the window's caption; the window stays open with its list rebuilt from the
// collection. A save ignores every failure but the cancel of its dialog. Failures of the
// load (a stored column width or check box value the shared service refuses, for instance),
// of a language change and of the final unload reach whoever caused them.

#include <cstdint>
#include <string>
#include <vector>

#include "support/Collection.h"
#include "support/Signal.h"
#include "support/VbBool.h"
#include "ui/CommonDialog.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/ListView.h"
#include "ui/Toolbar.h"
#include "ui/WindowContext.h"

namespace vq {

class frmTxms {
  public:
    explicit frmTxms(ui::WindowContext context);
    frmTxms(const frmTxms&) = delete;
    frmTxms& operator=(const frmTxms&) = delete;

    /// Keeps the collection (which must outlive the window's final unload) and returns true;
    /// returns false and keeps nothing when there is none. Either way RetVal becomes -1 and
    /// the configuration file name the shared service's default one.
    VbBool Install(TransmitterCollection* Txms);
    /// The 1-based row the user last chose, or -1 (none, or the window was closed).
    int16_t RetVal() const { return m_RetVal; }
    /// While false, an unload only hides the window; when true, the unload stores the
    /// window's settings and releases the collection.
    VbBool CloseMe() const { return m_CloseMe; }
    void SetCloseMe(VbBool value) { m_CloseMe = value; }

    /// The window model a window host shows.
    ui::Form& Form() { return m_Form; }

  private:
    /// The section of the host's settings file that keeps the window's own settings.
    static constexpr const char* kSection = "Transmitters";

    void WireControls();
    void AddTools();

    // Load, rows, captions and unload (frmTxms.cpp).
    void Form_Load();
    void BindLanguageEvents();
    void RestoreColumnWidths();
    void ArrangeToolBar();
    /// Sizes picToolBar to the toolbar's width at the list's right, widening the window when
    /// the box would reach beyond it.
    void PlaceToolBarBox();
    /// A stored integer setting, converted by the shared service; a value it refuses is a
    /// failure that names the setting.
    int16_t StoredInteger(const std::string& key, const std::string& text);
    void ApplyTexts();
    void FillList();
    void UpdateRetVal();
    void lvTxms_ItemClick(int32_t Index);
    void LanguageEvents_OnLanguageChange(int32_t LanguageIndex);
    void Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode);
    void Form_Unload(int16_t& Cancel);
    std::string ColumnWidthsText();

    // Toolbar commands (frmTxmsCommands.cpp).
    void atbMisc_ToolClick(const ui::Tool& Tool);
    /// Runs a command on the collection; does nothing without one. A failure is shown, and
    /// the list rebuilt.
    void RunCommand(void (frmTxms::*command)());
    void AddTransmitter();
    void EditTransmitter();
    void RemoveTransmitter();
    void ConnectTransmitters();
    VbBool RestoreConfiguration();
    void RestoreCommand() { RestoreConfiguration(); }
    VbBool SaveConfiguration();

    // Helpers.
    std::string GetText(int16_t id) const { return m_Context.GetText(id); }
    TransmitterCollection& Txms() const;
    /// Clears the rows and fills them again.
    void RefillList();
    void SetEditToolsEnabled(bool enabled);

    ui::WindowContext m_Context;

    // The window and its controls; the form outlives them.
    ui::Form m_Form;
    ui::ListView lvTxms;
    ui::PictureBox picToolBar;
    ui::Toolbar atbMisc;
    ui::CheckBox chkAllTxm;
    ui::CommonDialog dlgMisc;

    // State.
    TransmitterCollection* m_Txms = nullptr;
    int16_t m_RetVal = -1;
    VbBool m_CloseMe = VbFalse;
    std::string m_FileName;
    Connection LanguageEvents;
    std::vector<Connection> m_ControlEvents;
};

}  // namespace vq
