#pragma once
// A session for driving the add/edit transmitter dialog as a user would: the simulated host
// product with six device-server families in the collection, the scripted window host, and
// helpers that open the dialog through the collection and read its controls.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "collection/Txms.h"
#include "collection/WindowOpening.h"
#include "dialog/frmNewTxm.h"
#include "sim/Sim.h"
#include "ui/Screen.h"
#include "ui/ScriptedHost.h"

namespace dialogtest {

using vq::Value;
using vq::VbBool;
using vq::VbFalse;
using vq::VbTrue;
using vq::ui::CheckBox;
using vq::ui::CommandButton;
using vq::ui::DropDownList;
using vq::ui::TextBox;
using vq::ui::User;

inline const std::string kSection = "New Transmitter";

class DialogSession : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(m_Txms->Initialize(m_Folder.Path().string(), m_HostObject, m_History), 3);
        for (int32_t family = 4; family <= 6; ++family)
            m_Txms->Servers().Add(vq::Product().CreateDeviceServer(family));
    }

    /// A transmitter added silently to the collection.
    vq::TransmitterRef Silent(int32_t type, int16_t address, int16_t port,
                              const std::string& settings, int32_t protocol,
                              const std::string& name, const std::string& version = "") {
        vq::TransmitterRef txm =
            m_Txms->Add(Value(""), type, address, port, settings, protocol, name, VbFalse, VbTrue);
        if (txm && !version.empty()) txm->SetVersion(version);
        return txm;
    }

    /// Opens the dialog on a transmitter with Edit; the script is the user.
    VbBool Edit(const vq::TransmitterRef& txm, vq::ui::ScriptedHost::Script script) {
        m_Windows->Then(std::move(script));
        return m_Txms->Edit(txm);
    }

    /// The working copy the open dialog made of a transmitter: the newest other transmitter.
    std::shared_ptr<sim::Transmitter> WorkingCopy(const vq::TransmitterRef& txm) const {
        const auto living = m_World->Transmitters();
        for (auto it = living.rbegin(); it != living.rend(); ++it) {
            if (*it != txm) return *it;
        }
        return nullptr;
    }
    static const std::vector<std::string>& LogOf(const vq::TransmitterRef& txm) {
        return dynamic_cast<sim::Transmitter&>(*txm).Log();
    }

    std::string Setting(const std::string& key) {
        return m_World->Service()->ReadSetting(m_World->SettingsFilePath, kSection, key, "<none>");
    }
    void Store(const std::string& key, const std::string& value) {
        m_World->Service()->WriteSetting(m_World->SettingsFilePath, kSection, key, value);
    }
    /// The prompts of the message boxes shown so far.
    std::vector<std::string> Prompts() const {
        std::vector<std::string> prompts;
        for (const sim::MessageRecord& m : m_World->Messages) prompts.push_back(m.Prompt);
        return prompts;
    }

    sim::ScratchFolder m_Folder;
    std::shared_ptr<sim::World> m_World = std::make_shared<sim::World>(m_Folder.Path());
    vq::ScopedProduct m_Product{std::make_shared<sim::Factory>(m_World)};
    std::shared_ptr<vq::ui::ScriptedHost> m_Windows = std::make_shared<vq::ui::ScriptedHost>();
    vq::ui::ScopedWindowHost m_WindowHost{m_Windows};
    std::shared_ptr<sim::HostObject> m_HostObject = std::make_shared<sim::HostObject>();
    vq::PassThroughRef m_History = std::make_shared<sim::NamedObject>("ComHistory");
    std::shared_ptr<vq::Txms> m_Txms = std::make_shared<vq::Txms>();
};

/// Short reads of the dialog's controls inside a script.
inline DropDownList& List(User& user, const std::string& name) {
    return user.Find<DropDownList>(name);
}
inline TextBox& Box(User& user, const std::string& name) {
    return user.Find<TextBox>(name);
}
inline CheckBox& Check(User& user, const std::string& name) {
    return user.Find<CheckBox>(name);
}
inline CommandButton& Button(User& user, const std::string& name) {
    return user.Find<CommandButton>(name);
}
inline std::string Caption(User& user, const std::string& name, int16_t index = -1) {
    auto* control = dynamic_cast<vq::ui::CaptionedControl*>(user.Window().Find(name, index));
    return control ? control->Caption() : "<no " + name + ">";
}

/// Clicks OK after committing nothing more.
inline void Confirm(User& user) {
    user.Click("cmdOK");
}
inline void Cancel(User& user) {
    user.Click("cmdCancel");
}

}  // namespace dialogtest
