#pragma once
// The component's localized texts. GetText asks the shared service's language object for the
// current language on every call, so a language change takes effect at the next lookup.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vq {

class LanguageObject;
class SharedService;

/// Where the string table lives: compiled into the core, or the module's string resources.
class TextSource {
  public:
    virtual ~TextSource() = default;
    /// The text under an id, or nothing when the table has no such id.
    virtual std::optional<std::string> Find(int32_t id) const = 0;
};

/// The table compiled from TextTable.def.
const TextSource& CompiledTexts();

/// Every (id, text) pair of the compiled table, in the order of TextTable.def.
const std::vector<std::pair<int32_t, const char*>>& CompiledTextEntries();

/// Replaces the process's text source; null returns to the compiled table.
void SetTextSource(std::shared_ptr<const TextSource> source);

/// Offset of a language's block in the table: (languageIndex - 1) * 1000.
inline constexpr int32_t kLanguageBlockSize = 1000;

/// The text with an English id in the language the language object reports, the English text
/// when that language lacks it or cannot be determined (no language object, or one that
/// fails), "" when the English id is missing too. Never throws.
std::string GetText(int16_t id, LanguageObject* language);
/// The same in the language of a shared service's language object (null: English).
std::string GetText(int16_t id, SharedService* service);
/// The same in the language of this thread's shared service.
std::string GetText(int16_t id);

}  // namespace vq
