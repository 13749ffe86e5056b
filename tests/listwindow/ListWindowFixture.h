#pragma once
// A session for driving the transmitter list window as a user would: the simulated host
// product, a collection with the three device-server families, the scripted window host (the
// list window and the add/edit dialogs it opens take the queued scripts in turn), and short
// reads of what the user sees.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "collection/Txms.h"
#include "collection/WindowOpening.h"
#include "sim/Sim.h"
#include "ui/ListView.h"
#include "ui/ScriptedFileDialog.h"
#include "ui/ScriptedHost.h"
#include "ui/Toolbar.h"

namespace listtest {

using vq::Value;
using vq::VbFalse;
using vq::VbTrue;
using vq::ui::FileDialogUser;
using vq::ui::User;
using Strings = std::vector<std::string>;
using Script = vq::ui::ScriptedHost::Script;

class ListWindowSession : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(m_Txms->Initialize(m_Folder.Path().string(), m_HostObject, m_History), 3);
    }

    vq::TransmitterRef Silent(const std::string& name, int32_t type = 1, int16_t address = 1,
                              int16_t port = 1) {
        return m_Txms->Add(Value(""), type, address, port, "4800,n,8,1", 1, name, VbFalse, VbTrue);
    }
    /// Opens the list window with ShowWizard; the script is the user, and the dialogs are the
    /// users of the add/edit dialogs the list window opens, in turn.
    int16_t Wizard(Script script, std::vector<Script> dialogs = {}) {
        m_Windows->Then(std::move(script));
        for (Script& dialog : dialogs) m_Windows->Then(std::move(dialog));
        return m_Txms->ShowWizard();
    }

    std::string Setting(const std::string& key) {
        return m_World->Service()->ReadSetting(m_World->SettingsFilePath, "Transmitters", key,
                                               "<none>");
    }
    void Store(const std::string& key, const std::string& value) {
        m_World->Service()->WriteSetting(m_World->SettingsFilePath, "Transmitters", key, value);
    }
    /// A value of a .txm file's configuration section.
    std::string Stored(const std::string& file, const std::string& key) {
        return m_World->Service()->ReadSetting(file, "TxmConfiguration", key, "<none>");
    }
    std::string InFolder(const std::string& name) const {
        return (m_Folder.Path() / name).string();
    }

    sim::ScratchFolder m_Folder;
    std::shared_ptr<sim::World> m_World = std::make_shared<sim::World>(m_Folder.Path());
    vq::ScopedProduct m_Product{std::make_shared<sim::Factory>(m_World)};
    std::shared_ptr<vq::ui::ScriptedHost> m_Windows = std::make_shared<vq::ui::ScriptedHost>();
    vq::ui::ScopedWindowHost m_WindowHost{m_Windows};
    std::shared_ptr<sim::HostObject> m_HostObject = std::make_shared<sim::HostObject>();
    vq::PassThroughRef m_History;
    std::shared_ptr<vq::Txms> m_Txms = std::make_shared<vq::Txms>();
};

inline vq::ui::ListView& List(User& user) {
    return user.Find<vq::ui::ListView>("lvTxms");
}
inline vq::ui::Toolbar& Tools(User& user) {
    return user.Find<vq::ui::Toolbar>("atbMisc");
}
/// Each row as its columns joined by "|".
inline Strings Rows(User& user) {
    Strings rows;
    const vq::ui::ListView& list = List(user);
    for (int32_t i = 1; i <= list.Count(); ++i) {
        std::string row = list.Item(i).Text;
        for (const std::string& cell : list.Item(i).SubItems) row += "|" + cell;
        rows.push_back(row);
    }
    return rows;
}
inline bool ToolEnabled(User& user, const std::string& id) {
    return Tools(user).FindTool(id).Enabled;
}
inline void Tool(User& user, const std::string& id) {
    user.ClickTool("atbMisc", id);
}

}  // namespace listtest
