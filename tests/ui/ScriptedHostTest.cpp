#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Failure.h"
#include "ui/ScriptedHost.h"

namespace vq::ui {
namespace {

// A small window wired the way the presenters wire theirs: the box commits on Enter or when
// it loses the focus, OK and Cancel hide the window, a title-bar close only hides it.
struct SampleWindow {
    Form form{"frmSample", 3000, 2000};
    TextBox txtValue{form, "txtValue", -1, nullptr, {120, 120, 1500, 315}, 0};
    DropDownList cmbChoice{form, "cmbChoice", -1, nullptr, {120, 600, 1500, 315}, 1};
    CheckBox chkOption{form, "chkOption", -1, nullptr, {120, 1000, 1500, 255}, 2};
    CommandButton cmdOK{form, "cmdOK", -1, nullptr, {1800, 120, 1000, 375}, 3};
    CommandButton cmdCancel{
        form, "cmdCancel", -1, nullptr, {1800, 600, 1000, 375}, 4, ButtonStyle{.Cancel = true}};
    std::vector<std::string> log;
    std::string committed;
    bool closeForReal = false;
    std::vector<Connection> tokens;

    SampleWindow() {
        tokens.push_back(form.OnLoad().Connect([this] {
            form.SetCaption("Sample");
            for (const char* c : {"one", "two", "three"}) cmbChoice.AddItem(c);
        }));
        tokens.push_back(txtValue.OnGotFocus().Connect([this] {
            txtValue.SetSelStart(0);
            txtValue.SetSelLength(static_cast<int32_t>(txtValue.Text().size()));
        }));
        tokens.push_back(txtValue.OnKeyPress().Connect([this](int16_t& key) {
            if (key != Keys::Enter) return;
            key = 0;
            Commit();
        }));
        tokens.push_back(txtValue.OnLostFocus().Connect([this] { Commit(); }));
        tokens.push_back(
            cmbChoice.OnClick().Connect([this] { log.push_back("choice " + cmbChoice.Text()); }));
        tokens.push_back(chkOption.OnClick().Connect(
            [this] { log.push_back("option " + std::to_string(chkOption.Value())); }));
        tokens.push_back(cmdOK.OnClick().Connect([this] {
            log.push_back("OK");
            form.Hide();
        }));
        tokens.push_back(cmdCancel.OnClick().Connect([this] {
            log.push_back("Cancel");
            form.Hide();
        }));
        tokens.push_back(form.OnUnload().Connect([this](int16_t& cancel) {
            log.push_back("Unload");
            if (closeForReal) return;
            cancel = -1;
            form.Hide();
        }));
    }
    void Commit() {
        committed = txtValue.Text();
        log.push_back("commit " + committed);
    }
};

TEST(ScriptedHost, TheUserWorksTheWindowUntilItHides) {
    ScriptedHost host;
    SampleWindow window;
    window.txtValue.SetText("old");
    host.Then([&](User& user) {
        EXPECT_TRUE(window.txtValue.HasFocus()) << "the first control in tab order has the focus";
        user.Type("new");  // replaces the text selected on entry
        user.PressEnter();
        EXPECT_TRUE(window.txtValue.HasFocus()) << "Enter keeps the focus in the box";
        user.Choose("cmbChoice", "two");
        user.Choose("cmbChoice", 1);  // already chosen: no click
        user.Click("chkOption");
        user.Focus("txtValue");
        user.Type("x");
        user.Click("cmdOK");  // leaving the box commits before the click
    });
    host.ShowModal(window.form);
    EXPECT_FALSE(window.form.Visible());
    EXPECT_EQ(window.log, (std::vector<std::string>{"commit new", "commit new", "choice two",
                                                    "option 1", "commit x", "OK"}));
    EXPECT_EQ(host.Shown(), (std::vector<std::string>{"Sample"}));
    EXPECT_EQ(host.Pending(), 0u);
}

TEST(ScriptedHost, EscapeAndTheTitleBarClose) {
    ScriptedHost host;
    SampleWindow window;
    host.Then([](User& user) { user.PressEscape(); });
    host.Then([](User& user) { user.CloseWindow(); });
    host.ShowModal(window.form);
    host.ShowModal(window.form);
    EXPECT_EQ(window.log, (std::vector<std::string>{"Cancel", "Unload"}))
        << "Esc presses the cancel button without moving the focus out of the box; "
           "the close goes through unload, which only hides";
    EXPECT_TRUE(window.form.Loaded());

    window.closeForReal = true;
    host.Then([](User& user) { user.CloseWindow(); });
    host.ShowModal(window.form);
    EXPECT_FALSE(window.form.Loaded());
}

TEST(ScriptedHost, RefusesWhatAPersonCouldNotDo) {
    ScriptedHost host;
    SampleWindow window;
    EXPECT_THROW(host.ShowModal(window.form), Failure) << "no user is waiting";

    window.cmdOK.SetEnabled(false);
    host.Then([](User& user) {
        EXPECT_THROW(user.Click("cmdOK"), Failure);
        EXPECT_THROW(user.Click("txtValue"), Failure);
        EXPECT_THROW(user.Choose("cmbChoice", "four"), Failure);
        EXPECT_THROW(user.Choose("cmbChoice", 3), Failure);
        EXPECT_THROW(user.Find<TextBox>("cmbChoice"), Failure);
        EXPECT_THROW(user.Focus("lblNothing"), Failure);
        user.Focus("chkOption");
        EXPECT_THROW(user.Type("abc"), Failure);
        user.Click("cmdCancel");
        EXPECT_THROW(user.Click("chkOption"), Failure) << "the window is gone";
    });
    host.ShowModal(window.form);

    host.Then([](User& user) { user.Focus("chkOption"); });
    try {
        host.ShowModal(window.form);
        FAIL() << "a window left open was accepted";
    } catch (const Failure& f) {
        EXPECT_NE(f.Description().find("frmSample"), std::string::npos) << f.Description();
    }
}

TEST(ScriptedHost, EnterPressesTheDefaultButtonOrTheFocusedOne) {
    ScriptedHost host;
    Form form("frmDefault", 2000, 1000);
    TextBox box(form, "txtValue", -1, nullptr, {}, 0);
    CommandButton other(form, "cmdOther", -1, nullptr, {}, 1);
    CommandButton ok(form, "cmdOK", -1, nullptr, {}, 2, ButtonStyle{.Default = true});
    std::vector<std::string> log;
    auto keys = box.OnKeyPress().Connect(
        [&](int16_t& key) { log.push_back("key " + std::to_string(key)); });
    auto otherClick = other.OnClick().Connect([&] { log.push_back("other"); });
    auto okClick = ok.OnClick().Connect([&] {
        log.push_back("ok");
        form.Hide();
    });
    host.Then([&](User& user) {
        user.Type("a");
        ok.SetEnabled(false);
        user.PressEnter();  // no usable default button: the box gets the key
        user.Focus("cmdOther");
        user.PressEnter();  // a focused button is pressed
        ok.SetEnabled(true);
        user.Focus("txtValue");
        user.PressEnter();
    });
    host.ShowModal(form);
    EXPECT_EQ(log, (std::vector<std::string>{"key 97", "key 13", "other", "ok"}));
}

TEST(ScriptedHost, ActionsMeanwhileRunInOrderWhenAHandlerLetsMessagesThrough) {
    ScriptedHost host;
    SampleWindow window;
    // A long-running handler that lets messages through five times.
    CommandButton cmdBusy(window.form, "cmdBusy", -1, nullptr, {}, 5);
    int passes = 0;
    auto busy = cmdBusy.OnClick().Connect([&] {
        for (passes = 1; passes <= 5; ++passes) host.DispatchPending();
    });
    host.Then([&](User& user) {
        user.Meanwhile([](User& now) { now.Choose("cmbChoice", "one"); },
                       [&] { return passes >= 3; });
        user.Meanwhile([](User& now) { now.Click("chkOption"); });
        user.Meanwhile([](User& now) { now.Choose("cmbChoice", "nine"); });
        user.Click("cmdBusy");
        user.Click("cmdCancel");
    });
    EXPECT_THROW(host.ShowModal(window.form), Failure) << "the failed action is reported";
    EXPECT_EQ(window.log,
              (std::vector<std::string>{"commit ", "choice one", "option 1", "Cancel"}));

    host.Then([](User& user) {
        user.Meanwhile([](User& now) { now.Click("chkOption"); });
        user.Click("cmdOK");
    });
    EXPECT_THROW(host.ShowModal(window.form), Failure) << "an action that never ran";
    EXPECT_FALSE(host.DispatchPending()) << "forgotten with the window's show";
}

}  // namespace
}  // namespace vq::ui
