#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Failure.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace vq::ui {
namespace {

TEST(FormLife, LoadsOnceShowsHidesAndUnloadsUnlessCancelled) {
    Form form("frmTest", 6030, 5460);
    std::vector<std::string> events;
    int16_t refuseQuery = 0;
    int16_t refuseUnload = 0;
    auto load = form.OnLoad().Connect([&] { events.push_back("Load"); });
    auto query = form.OnQueryUnload().Connect([&](int16_t& cancel, int16_t mode) {
        events.push_back("QueryUnload " + std::to_string(mode));
        cancel = refuseQuery;
    });
    auto unload = form.OnUnload().Connect([&](int16_t& cancel) {
        events.push_back("Unload");
        cancel = refuseUnload;
    });
    auto visible = form.OnVisibleChanged().Connect(
        [&](bool shown) { events.push_back(shown ? "Shown" : "Hidden"); });

    form.Show();
    form.Hide();
    form.Show();
    EXPECT_EQ(events, (std::vector<std::string>{"Load", "Shown", "Hidden", "Shown"}));

    events.clear();
    refuseQuery = -1;
    EXPECT_FALSE(form.Unload(UnloadMode::FormControlMenu));
    refuseQuery = 0;
    refuseUnload = 1;
    EXPECT_FALSE(form.Unload());
    EXPECT_TRUE(form.Loaded());
    EXPECT_TRUE(form.Visible());
    refuseUnload = 0;
    EXPECT_TRUE(form.Unload());
    EXPECT_FALSE(form.Loaded());
    EXPECT_FALSE(form.Visible());
    EXPECT_TRUE(form.Unload()) << "unloading an unloaded form does nothing";
    EXPECT_EQ(events, (std::vector<std::string>{"QueryUnload 0", "QueryUnload 1", "Unload",
                                                "QueryUnload 1", "Unload", "Hidden"}));

    events.clear();
    form.Show();
    EXPECT_EQ(events.front(), "Load") << "a shown unloaded form loads again";
    EXPECT_THROW(form.SetWindowState(3), Failure);
    EXPECT_EQ(form.WindowState(), 0);
}

struct FocusTest : ::testing::Test {
    Form form{"frmTest", 6030, 5460};
    Frame frame{form, "fraMisc", 0, nullptr, {120, 0, 4455, 1815}, 13};
    Label label{form, "lblMisc", 0, &frame, {120, 300, 1800, 195}};
    TextBox second{form, "txtAddress", -1, &frame, {2040, 600, 735, 315}, 1};
    TextBox first{form, "txtName", -1, &frame, {2040, 240, 2295, 315}, 0};
    CheckBox outside{form, "chkTag", -1, nullptr, {120, 4920, 4455, 255}, 8};
    CommandButton ok{form, "cmdOK", -1, nullptr, {4680, 120, 1215, 375}, 10};
    std::vector<std::string> events;
    std::vector<Connection> tokens;

    void SetUp() override {
        for (Control* c : form.Controls()) {
            tokens.push_back(
                c->OnGotFocus().Connect([this, c] { events.push_back("+" + c->Name()); }));
            tokens.push_back(
                c->OnLostFocus().Connect([this, c] { events.push_back("-" + c->Name()); }));
        }
    }
};

TEST_F(FocusTest, TabOrderFollowsTabIndexAndSkipsWhatCannotTakeFocus) {
    std::vector<Control*> expected{&first, &second, &outside, &ok};
    EXPECT_EQ(form.TabOrder(), expected);

    second.SetEnabled(false);
    ok.SetVisible(false);
    EXPECT_EQ(form.TabOrder(), (std::vector<Control*>{&first, &outside}));
    second.SetEnabled(true);
    frame.SetEnabled(false);
    EXPECT_EQ(form.TabOrder(), (std::vector<Control*>{&outside}))
        << "a disabled frame holds its controls";
}

TEST_F(FocusTest, FocusMovesRaiseLostFocusBeforeGotFocusAndHandlersMayRedirect) {
    form.FocusFirstControl();
    EXPECT_EQ(form.ActiveControl(), &first);
    form.MoveFocus(form.NextInTabOrder());
    ok.SetFocus();
    ok.SetFocus();
    form.MoveFocus(form.NextInTabOrder());  // wraps to the first
    EXPECT_EQ(events, (std::vector<std::string>{"+txtName", "-txtName", "+txtAddress",
                                                "-txtAddress", "+cmdOK", "-cmdOK", "+txtName"}));
    EXPECT_TRUE(first.HasFocus());

    // A LostFocus handler that moves the focus elsewhere wins over the move it interrupts.
    auto redirect = second.OnLostFocus().Connect([this] { outside.SetFocus(); });
    second.SetFocus();
    events.clear();
    ok.SetFocus();
    EXPECT_EQ(form.ActiveControl(), &outside);
    EXPECT_EQ(events, (std::vector<std::string>{"-txtAddress", "+chkTag"}));
}

}  // namespace
}  // namespace vq::ui
