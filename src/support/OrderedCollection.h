#pragma once
// An ordered collection with 1-based positions and optional unique text keys, compared
// without regard to letter case (see KeyFold.h). Lookup by key is O(1) on average; appending
// is amortised O(1); removing at a position is O(n) in the entries after it.
//
// Failures are the automation collection's own: a bad position is "Subscript out of range",
// a key that names no entry is "Invalid procedure call or argument", a key already present
// is the duplicate-key error. A failed call changes nothing.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "Failure.h"
#include "KeyFold.h"

namespace vq {

template <class T>
class OrderedCollection {
  public:
    struct Entry {
        T Item;
        std::optional<std::string> Key;  // as given
        std::string Folded;              // FoldKey(*Key), empty without a key
    };
    using const_iterator = typename std::vector<Entry>::const_iterator;

    int32_t Count() const { return static_cast<int32_t>(m_Entries.size()); }
    bool Empty() const { return m_Entries.empty(); }

    /// Appends without a key.
    void Add(T item) { m_Entries.push_back(Entry{std::move(item), std::nullopt, {}}); }

    /// Appends under a key. Throws the duplicate-key failure when a key equal to it (ignoring
    /// letter case) is present, and changes nothing then.
    void Add(T item, std::string key) {
        std::string folded = FoldKey(key);
        if (m_Index.count(folded) != 0)
            throw Failure(Codes::DuplicateKey,
                          "This key is already associated with an element of this collection");
        m_Index.emplace(folded, item);
        m_Entries.push_back(Entry{std::move(item), std::move(key), std::move(folded)});
    }

    /// The entry at a 1-based position; throws "Subscript out of range" outside 1..Count.
    const T& At(int64_t position) const {
        CheckPosition(position);
        return m_Entries[static_cast<std::size_t>(position - 1)].Item;
    }

    /// The entry under a key, or nullptr when no entry has that key.
    const T* Find(std::string_view key) const {
        const auto it = m_Index.find(FoldKey(key));
        return it == m_Index.end() ? nullptr : &it->second;
    }

    /// The entry under a key; throws "Invalid procedure call or argument" when there is none.
    const T& At(std::string_view key) const {
        const T* item = Find(key);
        if (item == nullptr) throw MissingKey(key);
        return *item;
    }

    /// The key of the entry at a position, if it has one.
    const std::optional<std::string>& KeyAt(int64_t position) const {
        CheckPosition(position);
        return m_Entries[static_cast<std::size_t>(position - 1)].Key;
    }

    /// 1-based position of the entry under a key, 0 when there is none. O(n).
    int32_t PositionOf(std::string_view key) const {
        const std::string folded = FoldKey(key);
        if (m_Index.count(folded) == 0) return 0;
        for (std::size_t i = 0; i < m_Entries.size(); ++i) {
            if (m_Entries[i].Key && m_Entries[i].Folded == folded)
                return static_cast<int32_t>(i + 1);
        }
        return 0;
    }

    void RemoveAt(int64_t position) {
        CheckPosition(position);
        const auto it = m_Entries.begin() + static_cast<std::ptrdiff_t>(position - 1);
        if (it->Key) m_Index.erase(it->Folded);
        m_Entries.erase(it);
    }

    void Remove(std::string_view key) {
        const int32_t position = PositionOf(key);
        if (position == 0) throw MissingKey(key);
        RemoveAt(position);
    }

    void Clear() {
        m_Entries.clear();
        m_Index.clear();
    }

    const_iterator begin() const { return m_Entries.begin(); }
    const_iterator end() const { return m_Entries.end(); }

    /// The items in position order (a snapshot, safe to walk while the collection changes).
    std::vector<T> Items() const {
        std::vector<T> items;
        items.reserve(m_Entries.size());
        for (const Entry& e : m_Entries) items.push_back(e.Item);
        return items;
    }

  private:
    void CheckPosition(int64_t position) const {
        if (position < 1 || position > Count())
            throw Failure(Codes::SubscriptOutOfRange, "Subscript out of range: position " +
                                                          std::to_string(position) + " of " +
                                                          std::to_string(Count()));
    }
    static Failure MissingKey(std::string_view key) {
        return Failure(Codes::InvalidProcedureCall,
                       "Invalid procedure call or argument: no entry has the key " +
                           Quoted(std::string(key)));
    }

    std::vector<Entry> m_Entries;
    std::unordered_map<std::string, T> m_Index;  // folded key -> item
};

}  // namespace vq
