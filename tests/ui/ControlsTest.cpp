#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Failure.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace vq::ui {
namespace {

struct ControlsTest : ::testing::Test {
    Form form{"frmTest", 3000, 2000};
};

TEST_F(ControlsTest, ListRaisesClickExactlyWhenTheSelectionChangesAndRefusesOtherPositions) {
    DropDownList list(form, "cmbTest", -1, nullptr, {0, 0, 1000, 315}, 0);
    std::vector<int32_t> clicks;
    auto token = list.OnClick().Connect([&] { clicks.push_back(list.ListIndex()); });

    for (const char* entry : {"a", "b", "c"}) list.AddItem(entry);
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.Text(), "");
    list.SetListIndex(1);
    list.SetListIndex(1);  // the entry it already shows
    list.SetListIndex(2);
    list.SetListIndex(-1);
    EXPECT_THROW(list.SetListIndex(3), Failure);
    EXPECT_THROW(list.SetListIndex(-2), Failure);
    EXPECT_THROW(list.List(3), Failure);
    EXPECT_EQ(clicks, (std::vector<int32_t>{1, 2, -1}));

    list.SetListIndex(0);
    EXPECT_EQ(list.Text(), "a");
    clicks.clear();
    list.Clear();
    EXPECT_TRUE(clicks.empty()) << "clearing is silent";
    EXPECT_EQ(list.ListIndex(), -1);
}

TEST_F(ControlsTest, CheckBoxValueAndUserClicks) {
    CheckBox box(form, "chkTest", -1, nullptr, {}, 0);
    std::vector<int16_t> clicks;
    auto token = box.OnClick().Connect([&] { clicks.push_back(box.Value()); });

    box.SetValue(CheckBox::Grayed);
    box.SetValue(CheckBox::Grayed);
    box.Click();  // grey -> clear
    box.Click();  // clear -> ticked
    box.Click();  // ticked -> clear
    EXPECT_EQ(clicks, (std::vector<int16_t>{2, 0, 1, 0}));

    EXPECT_THROW(box.SetValue(3), Failure);
    EXPECT_EQ(box.Value(), CheckBox::Unchecked);
    EXPECT_EQ(clicks.size(), 4u);
}

TEST_F(ControlsTest, TypedKeysReplaceTheSelectionUnlessAHandlerSwallowsThem) {
    TextBox box(form, "txtTest", -1, nullptr, {}, 0);
    box.SetText("5");
    box.SetSelStart(0);
    box.SetSelLength(99);
    EXPECT_EQ(box.SelLength(), 1);
    EXPECT_EQ(box.SelText(), "5");

    std::vector<int16_t> seen;
    auto token = box.OnKeyPress().Connect([&](int16_t& key) {
        seen.push_back(key);
        if (key == Keys::Enter) key = 0;                  // swallowed
        if (key == 'x') key = static_cast<int16_t>('y');  // replaced
    });
    int changes = 0;
    auto changeToken = box.OnChange().Connect([&] { ++changes; });

    box.TypeKey('6');  // replaces the selected "5"
    box.TypeKey('x');
    box.TypeKey(Keys::Enter);
    box.SetText("6y");  // the text it has already
    EXPECT_EQ(box.Text(), "6y");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(seen, (std::vector<int16_t>{'6', 'x', Keys::Enter}));
    EXPECT_EQ(box.SelStart(), 2);

    box.TypeKey(Keys::Backspace);
    EXPECT_EQ(box.Text(), "6");
    box.SetLocked(true);
    box.TypeKey('7');
    EXPECT_EQ(box.Text(), "6") << "a locked box keeps its text";
    EXPECT_EQ(seen.back(), '7') << "but still reports the key";

    TextBox multi(form, "txtMulti", -1, nullptr, {}, 1, TextBoxStyle{.MultiLine = true});
    for (int16_t key : {int16_t{'a'}, Keys::Enter, int16_t{'b'}}) multi.TypeKey(key);
    EXPECT_EQ(multi.Text(), "a\r\nb") << "Enter breaks lines in a multi-line box only";
}

TEST_F(ControlsTest, SelectionCountsCharactersNotBytes) {
    TextBox box(form, "txtName", -1, nullptr, {}, 0);
    box.SetText("Győr ő");
    box.SetSelStart(2);
    box.SetSelLength(3);
    EXPECT_EQ(box.SelText(), "őr ");
    box.TypeKey(static_cast<int16_t>(0x00E9));  // é
    EXPECT_EQ(box.Text(), "Gyéő");
    EXPECT_EQ(box.SelStart(), 3);
    box.TypeKey(Keys::Backspace);
    EXPECT_EQ(box.Text(), "Győ");
}

}  // namespace
}  // namespace vq::ui
