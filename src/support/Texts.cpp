#include "Texts.h"

#include <unordered_map>

#include "ThreadContext.h"

namespace vq {

const std::vector<std::pair<int32_t, const char*>>& CompiledTextEntries() {
    static const std::vector<std::pair<int32_t, const char*>> entries = {
#define VQ_TEXT(id, text) {id, text},
#include "TextTable.def"
#undef VQ_TEXT
    };
    return entries;
}

namespace {

class CompiledTextSource final : public TextSource {
  public:
    CompiledTextSource() {
        for (const auto& [id, text] : CompiledTextEntries()) m_Texts.emplace(id, text);
    }
    std::optional<std::string> Find(int32_t id) const override {
        const auto it = m_Texts.find(id);
        if (it == m_Texts.end()) return std::nullopt;
        return std::string(it->second);
    }

  private:
    std::unordered_map<int32_t, const char*> m_Texts;
};

std::shared_ptr<const TextSource>& InstalledSource() {
    static std::shared_ptr<const TextSource> source;
    return source;
}

const TextSource& CurrentSource() {
    const auto& installed = InstalledSource();
    return installed ? *installed : CompiledTexts();
}

// The id of a text in the language a language object reports, or nothing when it cannot be
// determined or does not fit a 16-bit id.
std::optional<int32_t> LocalizedId(int16_t id, LanguageObject* language) {
    if (language == nullptr) return std::nullopt;
    try {
        const int64_t languageIndex = language->LanguageIndex();
        const int64_t localized = id + (languageIndex - 1) * kLanguageBlockSize;
        if (localized < INT16_MIN || localized > INT16_MAX) return std::nullopt;
        return static_cast<int32_t>(localized);
    } catch (...) {
        return std::nullopt;
    }
}

}  // namespace

const TextSource& CompiledTexts() {
    static const CompiledTextSource source;
    return source;
}

void SetTextSource(std::shared_ptr<const TextSource> source) {
    InstalledSource() = std::move(source);
}

std::string GetText(int16_t id, LanguageObject* language) {
    const TextSource& texts = CurrentSource();
    try {
        if (const std::optional<int32_t> localized = LocalizedId(id, language)) {
            if (std::optional<std::string> text = texts.Find(*localized)) return *text;
        }
        return texts.Find(id).value_or(std::string());
    } catch (...) {
        return std::string();
    }
}

std::string GetText(int16_t id, SharedService* service) {
    std::shared_ptr<LanguageObject> language;
    try {
        if (service != nullptr) language = service->Language();
    } catch (...) {
        // No language object to be had: English.
    }
    return GetText(id, language.get());
}

std::string GetText(int16_t id) {
    std::shared_ptr<SharedService> service;
    try {
        service = Service();
    } catch (...) {
        // No shared service on this thread: English.
    }
    return GetText(id, service.get());
}

}  // namespace vq
