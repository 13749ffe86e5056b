// Typing a name and an address, committing them with Enter or by leaving the box, and the
// tag check box that locks the name box.

#include "DialogFixture.h"

namespace dialogtest {
namespace {

using DialogEntry = DialogSession;

/// Replaces the address box's text as a user does: click into it (which selects it all),
/// type, press Enter; returns what the box then shows.
std::string EnterAddress(User& user, const std::string& text) {
    user.Focus("cmbType");
    user.Focus("txtAddress");
    if (text.empty())
        user.Type("\b");
    else
        user.Type(text);
    user.PressEnter();
    return Box(user, "txtAddress").Text();
}

TEST_F(DialogEntry, AddressesAreJudgedByTypeWhenCommitted) {
    auto zandor = Silent(1, 5, 2, "4800,n,8,1", 1, "Boiler");
    Edit(zandor, [](User& user) {
        EXPECT_EQ(EnterAddress(user, "12"), "12");
        EXPECT_EQ(EnterAddress(user, "69"), "12");
        EXPECT_EQ(EnterAddress(user, "68"), "68");
        EXPECT_EQ(EnterAddress(user, "007"), "7");
        EXPECT_EQ(EnterAddress(user, "abc"), "7");
        EXPECT_EQ(EnterAddress(user, ""), "7");
        EXPECT_EQ(EnterAddress(user, "40000"), "7");
        EXPECT_EQ(EnterAddress(user, "-1"), "7");
        EXPECT_EQ(EnterAddress(user, "0"), "0");
        EXPECT_TRUE(Box(user, "txtAddress").HasFocus()) << "Enter keeps the focus in the box";
        Confirm(user);
    });
    EXPECT_EQ(zandor->Address(), 0);

    auto orbel = Silent(5, 72, 2, "4800,n,8,1", 1, "Orbel");
    Edit(orbel, [](User& user) {
        EXPECT_EQ(EnterAddress(user, "70"), "70");
        EXPECT_EQ(EnterAddress(user, "78"), "78");
        for (const char* refused : {"69", "79", "0", "-1"})
            EXPECT_EQ(EnterAddress(user, refused), "78");
        Confirm(user);
    });
    EXPECT_EQ(orbel->Address(), 78);
}

TEST_F(DialogEntry, LeavingTheAddressBoxCommitsAsEnterDoes) {
    auto txm = Silent(1, 5, 2, "4800,n,8,1", 1, "Boiler");
    Edit(txm, [](User& user) {
        user.Focus("txtAddress");
        user.Type("31");
        user.Tab();
        EXPECT_EQ(Box(user, "txtAddress").Text(), "31");
        user.Focus("txtAddress");
        user.Type("99");
        user.Click("cmdOK");  // the box loses the focus before OK runs
    });
    EXPECT_EQ(txm->Address(), 31);
}

TEST_F(DialogEntry, NamesAreTakenAsTypedOnEnterOrWhenLeaving) {
    auto txm = Silent(1, 5, 2, "4800,n,8,1", 1, "Boiler");
    Edit(txm, [](User& user) {
        user.Type("  Steam line ");
        user.PressEnter();
        EXPECT_TRUE(Box(user, "txtName").HasFocus());
        EXPECT_EQ(Box(user, "txtName").Text(), "  Steam line ");
        Confirm(user);
    });
    EXPECT_EQ(txm->Name(), "  Steam line ");

    Edit(txm, [](User& user) {
        user.Type("\b");
        user.Focus("cmbPort");
        Confirm(user);
    });
    EXPECT_EQ(txm->Name(), "");
}

TEST_F(DialogEntry, TheTagBoxLocksTheNameBoxOnlyWhileEnabled) {
    auto vestra = Silent(4, 5, 2, "4800,n,8,1", 1, "Vestra");
    Edit(vestra, [](User& user) {
        TextBox& name = Box(user, "txtName");
        user.Click("chkTag");
        EXPECT_TRUE(name.Locked());
        EXPECT_EQ(name.BackColor(), 0x8000000Fu);
        user.Focus("txtName");
        user.Type("x");
        EXPECT_EQ(name.Text(), "Vestra") << "a locked box keeps its text";
        user.Click("chkTag");
        EXPECT_FALSE(name.Locked());
        EXPECT_EQ(name.BackColor(), 0x80000005u);
        user.Click("chkTag");
        user.Choose("cmbType", "Zandor");  // disables the tag: the box opens up again
        EXPECT_FALSE(name.Locked());
        user.Choose("cmbType", "Kalmo");
        EXPECT_TRUE(name.Locked());
        Cancel(user);
    });
    EXPECT_EQ(Setting("AutoName"), "1");

    auto zandor = Silent(1, 5, 2, "4800,n,8,1", 1, "Zandor");
    Edit(zandor, [](User& user) {
        EXPECT_EQ(Check(user, "chkTag").Value(), 1);
        EXPECT_FALSE(Check(user, "chkTag").Enabled());
        EXPECT_FALSE(Box(user, "txtName").Locked()) << "ticked but disabled";
        EXPECT_EQ(Box(user, "txtName").BackColor(), 0x80000005u);
        Cancel(user);
    });
}

TEST_F(DialogEntry, AllBaudRatesClickShowsTheWorkingCopyAgain) {
    auto txm = Silent(1, 5, 2, "4800,n,8,1", 1, "Boiler");
    Edit(txm, [](User& user) {
        user.Type("Typed");  // not committed: the focus stays in the name box
        // A click that leaves the focus where it is (as an accessibility tool's toggle does).
        Check(user, "chkAllBaudRate").Click();
        EXPECT_TRUE(Box(user, "txtName").HasFocus());
        EXPECT_EQ(Box(user, "txtName").Text(), "Boiler") << "the working copy's name again";
        EXPECT_EQ(Caption(user, "cmdOK"), "OK");
        Cancel(user);
    });
    EXPECT_EQ(Setting("AutoSearch"), "1");
}

}  // namespace
}  // namespace dialogtest
