#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Failure.h"
#include "ui/ScriptedHost.h"

namespace vq::ui {
namespace {

// A window with one control of each kind; Cancel hides it.
struct SampleWindow {
    Form form{"frmSample", 3000, 2000};
    TextBox txtValue{form, "txtValue", -1, nullptr, {}, 0};
    DropDownList cmbChoice{form, "cmbChoice", -1, nullptr, {}, 1};
    CheckBox chkOption{form, "chkOption", -1, nullptr, {}, 2};
    CommandButton cmdOK{form, "cmdOK", -1, nullptr, {}, 3};
    CommandButton cmdCancel{form, "cmdCancel", -1, nullptr, {}, 4, ButtonStyle{.Cancel = true}};
    Connection hide = cmdCancel.OnClick().Connect([this] { form.Hide(); });
};

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

TEST(ScriptedHost, ActionsMeanwhileRunInOrderWhenAHandlerLetsMessagesThrough) {
    ScriptedHost host;
    SampleWindow window;
    std::vector<std::string> log;
    auto choice = window.cmbChoice.OnClick().Connect(
        [&] { log.push_back("choice " + window.cmbChoice.Text()); });
    auto option = window.chkOption.OnClick().Connect(
        [&] { log.push_back("option " + std::to_string(window.chkOption.Value())); });
    auto cancel = window.cmdCancel.OnClick().Connect([&] { log.push_back("Cancel"); });
    for (const char* entry : {"one", "two"}) window.cmbChoice.AddItem(entry);
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
    EXPECT_EQ(log, (std::vector<std::string>{"choice one", "option 1", "Cancel"}));

    host.Then([](User& user) {
        user.Meanwhile([](User& now) { now.Click("chkOption"); });
        user.Click("cmdCancel");
    });
    EXPECT_THROW(host.ShowModal(window.form), Failure) << "an action that never ran";
    EXPECT_FALSE(host.DispatchPending()) << "forgotten with the window's show";
}

}  // namespace
}  // namespace vq::ui
