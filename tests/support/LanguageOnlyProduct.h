#pragma once
// A host product that offers nothing but a shared service with a language object. Any other
// call fails the test: text lookup must not touch anything else.

#include <gtest/gtest.h>

#include <memory>

#include "support/Failure.h"
#include "support/Product.h"

namespace vqtest {

class FakeLanguage : public vq::LanguageObject {
  public:
    int32_t Index = 1;
    bool Fails = false;
    int32_t LanguageIndex() override {
        if (Fails) throw vq::Failure(vq::Codes::Fail, "language object unavailable");
        return Index;
    }
    std::string ResourcesText() override { return Unexpected<std::string>("ResourcesText"); }
    vq::Signal<int32_t>& OnLanguageChange() override { return m_Change; }

    template <class T>
    static T Unexpected(const char* what) {
        ADD_FAILURE() << "unexpected call: " << what;
        throw vq::Failure(vq::Codes::Unexpected, what);
    }

  private:
    vq::Signal<int32_t> m_Change;
};

class LanguageOnlyService : public vq::SharedService {
  public:
    std::shared_ptr<FakeLanguage> Lang = std::make_shared<FakeLanguage>();
    template <class T>
    static T No(const char* what) {
        return FakeLanguage::Unexpected<T>(what);
    }

    std::shared_ptr<vq::LanguageObject> Language() override { return Lang; }
    std::string SettingsFilePath() override { return No<std::string>("SettingsFilePath"); }
    std::string ReadSetting(const std::string&, const std::string&, const std::string&,
                            const std::string&) override {
        return No<std::string>("ReadSetting");
    }
    vq::VbBool WriteSetting(const std::string&, const std::string&, const std::string&,
                            const std::string&) override {
        return No<vq::VbBool>("WriteSetting");
    }
    void ClearSection(const std::string&, const std::string&) override { No<int>("ClearSection"); }
    std::string ListSeparator() override { return No<std::string>("ListSeparator"); }
    int16_t ToInteger(const vq::Value&) override { return No<int16_t>("ToInteger"); }
    vq::Value RestorePlacement(vq::PlacementWindow&, const std::string&, const std::string&,
                               const std::string&) override {
        return No<vq::Value>("RestorePlacement");
    }
    vq::Value SavePlacement(vq::PlacementWindow&, const std::string&, const std::string&,
                            const std::string&) override {
        return No<vq::Value>("SavePlacement");
    }
    int32_t ShowMessage(const std::string&, int32_t, int32_t, const std::string&,
                        const vq::PassThroughRef&) override {
        return No<int32_t>("ShowMessage");
    }
    std::string GetString(int32_t) override { return No<std::string>("GetString"); }
    std::string DefaultFolder() override { return No<std::string>("DefaultFolder"); }
    std::string ServerSettingName(int32_t) override { return No<std::string>("ServerSettingName"); }
    std::shared_ptr<vq::TransmitterRegistry> Registry() override {
        return No<std::shared_ptr<vq::TransmitterRegistry>>("Registry");
    }
    std::shared_ptr<vq::PathSplitter> PathSplitter() override {
        return No<std::shared_ptr<vq::PathSplitter>>("PathSplitter");
    }
};

class LanguageOnlyProduct : public vq::ProductFactory {
  public:
    std::shared_ptr<LanguageOnlyService> ServiceObject = std::make_shared<LanguageOnlyService>();
    template <class T>
    static T No(const char* what) {
        return FakeLanguage::Unexpected<T>(what);
    }

    std::shared_ptr<vq::SharedService> Service() override { return ServiceObject; }
    vq::TransmitterRef CreateTransmitter() override {
        return No<vq::TransmitterRef>("CreateTransmitter");
    }
    vq::CommandRef CreateCommand() override { return No<vq::CommandRef>("CreateCommand"); }
    std::shared_ptr<vq::PathSplitter> CreatePathSplitter() override {
        return No<std::shared_ptr<vq::PathSplitter>>("CreatePathSplitter");
    }
    std::shared_ptr<vq::ConfigChooser> ConfigChooser() override {
        return No<std::shared_ptr<vq::ConfigChooser>>("ConfigChooser");
    }
    vq::DeviceServerRef CreateDeviceServer(int32_t) override {
        return No<vq::DeviceServerRef>("CreateDeviceServer");
    }
};

}  // namespace vqtest
