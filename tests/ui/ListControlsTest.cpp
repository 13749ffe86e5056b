// The list view, toolbar and save dialog models, and the scripted user at them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Failure.h"
#include "ui/CommonDialog.h"
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
        tokens.push_back(bar.OnToolClick().Connect(
            [this](const Tool& tool) { events.push_back("tool " + tool.Id); }));
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
    try {
        list.Select(1);
        FAIL() << "an empty list selected row 1";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.Code(), kIndexOutOfBounds);
    }
}

TEST_F(ListControlsTest, AColumnAddedLaterGivesEveryRowASubItem) {
    list.AddColumn("Name", 1440);
    list.AddColumn("State", 2540);
    list.SetSubItem(2, 1, "on");
    EXPECT_EQ(list.SubItem(2, 1), "on");
    EXPECT_EQ(list.SubItem(3, 1), "");
    EXPECT_THROW(list.SetSubItem(2, 2, "beyond the last column"), Failure);
}

TEST_F(ListControlsTest, ADisabledToolOrASeparatorIsNotClicked) {
    bar.AddTool("ID_A", "General", "tip");
    bar.AddSeparator();
    bar.AddTool("ID_B", "General");
    EXPECT_THROW(bar.AddTool("ID_A", "General"), Failure);
    bar.SetToolEnabled("ID_B", false);
    bar.ClickTool("ID_B");
    bar.ClickTool("ID_A");
    EXPECT_THROW(bar.ClickTool("ID_a"), Failure) << "ids compare exactly";
    EXPECT_EQ(events, (std::vector<std::string>{"tool ID_A"}));
    EXPECT_EQ(bar.Tools().size(), 3u);
}

TEST_F(ListControlsTest, TheSaveDialogNeedsAnAnswerAndReportsACancel) {
    dialog.SetFileName("offered.txm");
    EXPECT_THROW(dialog.ShowSave(), Failure) << "nobody shows it";
    auto host = dialog.OnShowSaveRequested().Connect([](CommonDialog& shown) { shown.Cancel(); });
    dialog.ShowSave();
    EXPECT_EQ(dialog.FileName(), "offered.txm");
    dialog.SetCancelError(true);
    try {
        dialog.ShowSave();
        FAIL() << "a cancel with cancel-as-failure returned";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.Code(), kCancelSelected);
    }
}

TEST_F(ListControlsTest, TheScriptedUserRefusesWhatAPersonCouldNotDo) {
    bar.AddTool("ID_Save", "General");
    bar.AddTool("ID_Off", "General");
    bar.SetToolEnabled("ID_Off", false);
    auto save = bar.OnToolClick().Connect([this](const Tool& tool) {
        if (tool.Id == "ID_Save") dialog.ShowSave();
    });
    form.Show();
    User user(form);
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
    box.SetVisible(false);
    EXPECT_THROW(user.ClickTool("atbTest", "ID_Save"), Failure) << "the toolbar's box is hidden";
}

}  // namespace
}  // namespace vq::ui
