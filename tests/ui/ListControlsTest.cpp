// The list view, toolbar and save dialog models, and the scripted user at them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Failure.h"
#include "ui/ListView.h"
#include "ui/ScriptedFileDialog.h"
#include "ui/ScriptedHost.h"
#include "ui/Toolbar.h"

namespace vq::ui {
namespace {

struct ListControlsTest : ::testing::Test {
    Form form{"frmTest", 6000, 4000};
    ListView list{form, "lvTest", -1, nullptr, {120, 120, 4000, 3000}, 0};
    PictureBox box{form, "picTest", -1, nullptr, {4200, 120, 420, 3000}};
    Toolbar bar{form, "atbTest", -1, &box};
    CommonDialog dialog{form, "dlgTest"};
    std::vector<std::string> events;
    std::vector<Connection> tokens;

    ListControlsTest() {
        for (const char* row : {"a", "b", "c"}) list.AddItem(row);
        auto record = [this](const char* what) {
            return [this, what](int32_t i) { events.push_back(what + std::to_string(i)); };
        };
        tokens.push_back(list.OnSelectionChanged().Connect(record("selected ")));
        tokens.push_back(list.OnItemClick().Connect(record("click ")));
        tokens.push_back(list.OnItemRemoved().Connect(record("removed ")));
        tokens.push_back(bar.OnToolClick().Connect([this](const Tool& tool) {
            events.push_back("tool " + tool.Id);
            if (tool.Id == "ID_Save") dialog.ShowSave();
        }));
        bar.AddTool("ID_Save", "General");
        bar.AddSeparator();
        bar.AddTool("ID_Off", "General");
        bar.SetToolEnabled("ID_Off", false);
    }
};

TEST_F(ListControlsTest, OnlyTheUsersClickOnARowRaisesItemClick) {
    list.Select(3);
    list.ClickItem(3);
    list.ClickItem(1);
    list.Remove(2);  // before nothing selected
    list.Select(2);
    list.Remove(1);  // the selected row moves up without a new selection
    EXPECT_EQ(list.SelectedIndex(), 1);
    list.Remove(1);
    EXPECT_EQ(events, (std::vector<std::string>{"selected 3", "click 3", "selected 1", "click 1",
                                                "removed 2", "selected 2", "removed 1", "removed 1",
                                                "selected 0"}));
    EXPECT_THROW(list.Select(1), Failure) << "an empty list has no row 1";
}

TEST_F(ListControlsTest, TheSaveDialogNeedsAnAnswerAndReportsACancel) {
    dialog.SetFileName("offered.txm");
    EXPECT_THROW(dialog.ShowSave(), Failure) << "nobody shows it";
    auto host = dialog.OnShowSaveRequested().Connect([](CommonDialog& shown) { shown.Cancel(); });
    dialog.ShowSave();
    EXPECT_EQ(dialog.FileName(), "offered.txm");
}

TEST_F(ListControlsTest, TheScriptedUserRefusesWhatAPersonCouldNotDo) {
    form.Show();
    User user(form);
    bar.ClickTool("ID_Off");  // a disabled tool raises nothing
    EXPECT_THROW(user.ClickTool("atbTest", "ID_Off"), Failure);
    EXPECT_THROW(user.ClickItem("lvTest", 4), Failure);
    EXPECT_THROW(user.ClickTool("atbTest", "ID_Save", [](FileDialogUser&) {}), Failure)
        << "the dialog was left open";
    EXPECT_THROW(
        user.ClickTool("atbTest", "ID_Save", [](FileDialogUser& at) { at.AnswerOverwrite(true); }),
        Failure)
        << "no question was asked";
    user.ClickTool("atbTest", "ID_Save", [](FileDialogUser& at) { at.Choose("/tmp/x"); });
    EXPECT_EQ(dialog.FileName(), "/tmp/x");
    EXPECT_EQ(events, std::vector<std::string>(3, "tool ID_Save"));
    box.SetVisible(false);
    EXPECT_THROW(user.ClickTool("atbTest", "ID_Save"), Failure) << "the toolbar's box is hidden";
}

}  // namespace
}  // namespace vq::ui
