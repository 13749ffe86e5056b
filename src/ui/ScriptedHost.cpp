#include "ScriptedHost.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "CommonDialog.h"
#include "ListView.h"
#include "ScriptedFileDialog.h"
#include "Toolbar.h"

namespace vq::ui {

namespace {

Failure Refused(const std::string& what) {
    return Failure(Codes::InvalidProcedureCall, "The scripted user cannot " + what);
}

/// The code points of UTF-8 text as 16-bit key codes (characters beyond 16 bits are typed
/// as '?', as a 16-bit key code cannot carry them).
std::vector<int16_t> KeysOf(const std::string& text) {
    std::vector<int16_t> keys;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length && i + k < text.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        keys.push_back(c > 0xFFFF ? int16_t{'?'} : static_cast<int16_t>(c));
        i += static_cast<std::size_t>(length);
    }
    return keys;
}

}  // namespace

// ---- User

Failure User::WrongKind(const std::string& name) {
    return Refused("use " + name + " that way: it is another kind of control");
}

Control* User::Lookup(const std::string& name, int16_t index) const {
    Control* control = m_Form.Find(name, index);
    if (control == nullptr) throw Refused("find a control named " + name);
    return control;
}

void User::RequireShown() const {
    if (!m_Form.Visible()) throw Refused("act on " + m_Form.Name() + ": it is not shown");
}

Control& User::Reachable(const std::string& name, int16_t index) const {
    RequireShown();
    Control& control = *Lookup(name, index);
    if (!control.CanTakeFocus())
        throw Refused("reach " + control.DisplayName() + ": it is disabled or hidden");
    return control;
}

void User::Click(const std::string& name, int16_t index) {
    Control& control = Reachable(name, index);
    auto* button = dynamic_cast<CommandButton*>(&control);
    auto* checkBox = dynamic_cast<CheckBox*>(&control);
    if (button == nullptr && checkBox == nullptr) throw WrongKind(name);
    control.SetFocus();
    if (!m_Form.Visible() || !control.CanTakeFocus()) return;  // a focus handler took it away
    if (button != nullptr)
        button->Click();
    else
        checkBox->Click();
}

void User::Choose(const std::string& list, int32_t entry) {
    auto& dropDown = Find<DropDownList>(list);
    Reachable(list, -1);
    if (entry < 0 || entry >= dropDown.ListCount())
        throw Refused("choose entry " + std::to_string(entry) + " of " + list + ": it has " +
                      std::to_string(dropDown.ListCount()));
    dropDown.SetFocus();
    if (m_Form.Visible() && dropDown.CanTakeFocus()) dropDown.SetListIndex(entry);
}

void User::Choose(const std::string& list, const std::string& entryText) {
    const auto& dropDown = Find<DropDownList>(list);
    const auto& items = dropDown.Items();
    const auto it = std::find(items.begin(), items.end(), entryText);
    if (it == items.end()) throw Refused("find \"" + entryText + "\" in " + list);
    Choose(list, static_cast<int32_t>(it - items.begin()));
}

void User::Focus(const std::string& name, int16_t index) {
    Reachable(name, index).SetFocus();
}

void User::Tab() {
    RequireShown();
    Control* next = m_Form.NextInTabOrder();
    if (next == nullptr) throw Refused("tab: no control can take the focus");
    next->SetFocus();
}

void User::Type(const std::string& text) {
    RequireShown();
    auto* box = dynamic_cast<TextBox*>(m_Form.ActiveControl());
    if (box == nullptr) throw Refused("type \"" + text + "\": no text box has the focus");
    for (int16_t key : KeysOf(text)) {
        RequireShown();
        if (m_Form.ActiveControl() != box) throw Refused("type on: the focus left the box");
        box->TypeKey(key);
    }
}

void User::PressKey(int16_t key) {
    Control* focused = m_Form.ActiveControl();
    if (auto* box = dynamic_cast<TextBox*>(focused)) {
        box->TypeKey(key);
    } else if (auto* button = dynamic_cast<CommandButton*>(focused);
               button != nullptr && key == Keys::Enter) {
        button->Click();
    }
}

void User::PressEnter() {
    RequireShown();
    if (CommandButton* button = m_Form.DefaultButton())
        button->Click();
    else
        PressKey(Keys::Enter);
}

void User::PressEscape() {
    RequireShown();
    if (CommandButton* button = m_Form.CancelButton())
        button->Click();
    else
        PressKey(Keys::Escape);
}

void User::CloseWindow() {
    RequireShown();
    m_Form.Unload(UnloadMode::FormControlMenu);
}

void User::ClickItem(const std::string& listView, int32_t row) {
    auto& list = Find<ListView>(listView);
    Reachable(listView, -1);
    if (row < 1 || row > list.Count())
        throw Refused("click row " + std::to_string(row) + " of " + listView + ": it has " +
                      std::to_string(list.Count()));
    list.SetFocus();
    if (m_Form.Visible() && list.CanTakeFocus()) list.ClickItem(row);
}

void User::ClickTool(const std::string& toolbar, const std::string& toolId) {
    RequireShown();
    auto& bar = Find<Toolbar>(toolbar);
    if (!bar.Reachable())
        throw Refused("reach " + bar.DisplayName() + ": it is disabled or hidden");
    const Tool& tool = bar.FindTool(toolId);
    if (!tool.Enabled) throw Refused("click " + toolId + ": the tool is disabled");
    bar.ClickTool(toolId);
}

void User::ClickTool(const std::string& toolbar, const std::string& toolId,
                     const std::function<void(FileDialogUser&)>& atSaveDialog) {
    int opened = 0;
    std::optional<Failure> problem;
    std::vector<Connection> watches;
    for (Control* control : m_Form.Controls()) {
        auto* dialog = dynamic_cast<CommonDialog*>(control);
        if (dialog == nullptr) continue;
        watches.push_back(dialog->OnShowSaveRequested().Connect([&](CommonDialog& shown) {
            FileDialogUser person(shown);
            try {
                if (++opened > 1) throw Refused("answer a second save dialog of one click");
                atSaveDialog(person);
                if (!person.Closed()) throw Refused("leave the save dialog open");
            } catch (const Failure& failure) {
                if (!problem) problem = failure;
                throw;
            }
        }));
    }
    ClickTool(toolbar, toolId);
    if (problem) throw *problem;
    if (opened == 0) throw Refused("answer a save dialog: clicking " + toolId + " opened none");
}

void User::Meanwhile(std::function<void(User&)> action, std::function<bool()> when) {
    if (m_Host == nullptr) throw Refused("act meanwhile: no scripted host runs this window");
    m_Host->m_Meanwhile.push_back({&m_Form, std::move(action), std::move(when)});
}

// ---- ScriptedHost

bool ScriptedHost::DispatchPending() {
    if (m_Meanwhile.empty() || (m_Meanwhile.front().When && !m_Meanwhile.front().When()))
        return false;
    QueuedAction next = std::move(m_Meanwhile.front());
    m_Meanwhile.pop_front();
    User user(*next.Window, this);
    try {
        next.Action(user);
    } catch (...) {
        if (!m_PendingFailure) m_PendingFailure = std::current_exception();
    }
    return true;
}

void ScriptedHost::ShowModal(Form& form) {
    if (m_Scripts.empty())
        throw Failure(Codes::Unexpected,
                      "No scripted user is waiting for the window " + form.Name());
    Script script = std::move(m_Scripts.front());
    m_Scripts.pop_front();

    form.Show();
    if (!form.Visible()) return;
    m_Shown.push_back(form.Caption());
    form.FocusFirstControl();
    User user(form, this);
    // Actions meant for this window die with its show.
    const auto forget = [&] {
        const auto size = m_Meanwhile.size();
        std::erase_if(m_Meanwhile, [&](const QueuedAction& p) { return p.Window == &form; });
        return size - m_Meanwhile.size();
    };
    try {
        script(user);
    } catch (...) {
        forget();
        throw;
    }
    const auto left = forget();
    if (m_PendingFailure) std::rethrow_exception(std::exchange(m_PendingFailure, nullptr));
    if (left > 0)
        throw Failure(Codes::Unexpected, std::to_string(left) +
                                             " actions meant for the middle of a handler of " +
                                             form.Name() + " never ran");
    if (form.Visible())
        throw Failure(Codes::Unexpected, "The scripted user left the window " + form.Name() +
                                             " (\"" + form.Caption() + "\") open");
}

}  // namespace vq::ui
