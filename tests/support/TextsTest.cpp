#include "support/Texts.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "support/Failure.h"
#include "support/Product.h"
#include "support/ThreadContext.h"

namespace {

class FakeLanguage : public vq::LanguageObject {
  public:
    int32_t Index = 1;
    bool Fails = false;
    int32_t LanguageIndex() override {
        if (Fails) throw vq::Failure(vq::Codes::Fail, "language object unavailable");
        return Index;
    }
    std::string ResourcesText() override { return ""; }
    vq::Signal<int32_t>& OnLanguageChange() override { return m_Change; }

  private:
    vq::Signal<int32_t> m_Change;
};

class GetTextTest : public ::testing::Test {
  protected:
    FakeLanguage m_Language;
    void Language(int32_t index) { m_Language.Index = index; }
    std::string GetText(int16_t id) { return vq::GetText(id, &m_Language); }
};

TEST_F(GetTextTest, EachLanguageHasItsOwnWordingAndEnglishFillsTheGaps) {
    const std::map<int32_t, std::string> untitled = {{1, "Untitled"}, {2, "Névtelen"},
                                                     {3, "Untitled"}, {4, "Senza titolo"},
                                                     {5, "Sans Nom"}, {6, "Geen naam"}};
    for (const auto& [language, text] : untitled) {
        Language(language);
        EXPECT_EQ(GetText(312), text) << "language " << language;
    }
    Language(3);  // German: only the Auto Connect caption is its own
    EXPECT_EQ(GetText(225), "A&utoConnect");
    EXPECT_EQ(GetText(201), "Add new transmitter");
    Language(4);
    EXPECT_EQ(GetText(213), "Usa la sigla come nome del trasmettitore");
    Language(2);
    EXPECT_EQ(GetText(213), "Automatikus névmegadás");
}

TEST_F(GetTextTest, LanguagesOutsideTheTableFallBackToEnglish) {
    for (int32_t language : {0, 7, -3, 40, 100000, INT32_MAX, INT32_MIN}) {
        Language(language);
        EXPECT_EQ(GetText(201), "Add new transmitter") << "language " << language;
    }
    // Language 2 turns id 402 into 1402; the English filter stays reachable by its own id.
    Language(1);
    EXPECT_EQ(GetText(402), "Txm Congfiguration files (*.txm)|*.txm|All Files (*.*)|*.*");
    EXPECT_EQ(GetText(999), "");
}

TEST_F(GetTextTest, AFailingOrMissingLanguageObjectMeansEnglish) {
    Language(5);
    m_Language.Fails = true;
    EXPECT_EQ(GetText(219), "Connected!");
    EXPECT_EQ(vq::GetText(219, static_cast<vq::LanguageObject*>(nullptr)), "Connected!");
    vq::ScopedProduct none(nullptr);
    EXPECT_EQ(vq::GetText(312), "Untitled") << "no shared service on the thread";
}

TEST(TextTable, EveryFullBlockHoldsAllTextsWithTheirAccessKeys) {
    std::map<int32_t, std::string> table;
    for (const auto& [id, text] : vq::CompiledTextEntries()) {
        EXPECT_TRUE(table.emplace(id, text).second) << "id " << id << " appears twice";
    }
    std::set<int32_t> english;
    for (const auto& [id, text] : table)
        if (id >= 200 && id < 1000) english.insert(id);
    EXPECT_EQ(english.size(), 48u);

    const std::map<int32_t, int32_t> headers = {{1, 199},  {2, 1199}, {3, 2198},
                                                {4, 3198}, {5, 4198}, {6, 5198}};
    for (const auto& [language, header] : headers) EXPECT_EQ(table.count(header), 1u) << header;
    for (int32_t language : {2, 4, 5, 6}) {
        const int32_t offset = (language - 1) * 1000;
        for (int32_t id : english) {
            const auto it = table.find(id + offset);
            ASSERT_NE(it, table.end()) << "language " << language << " lacks " << id;
            const bool englishHasKey = table[id].find('&') != std::string::npos;
            const bool translationHasKey = it->second.find('&') != std::string::npos;
            EXPECT_EQ(englishHasKey, translationHasKey) << "access key of " << id + offset;
        }
    }
    std::set<int32_t> german;
    for (const auto& [id, text] : table)
        if (id >= 2000 && id < 3000) german.insert(id);
    EXPECT_EQ(german, (std::set<int32_t>{2198, 2200, 2225, 2300, 2400}));
}

}  // namespace
