#pragma once
// A small single-threaded signal/slot type. Connect returns a token; destroying (or resetting)
// the token disconnects the handler. Tokens and signals may die in either order.
//
// Raising calls the handlers in connection order. A handler may connect or disconnect handlers
// (itself included) while the signal is being raised: a handler disconnected during a raise is
// not called afterwards, and a handler connected during a raise is first called by the next raise.

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace vq {

namespace detail {
struct SlotBase {
    virtual ~SlotBase() = default;
    bool Connected = true;
};
struct SlotList {
    std::vector<std::shared_ptr<SlotBase>> Slots;
    void Erase(const SlotBase* slot) {
        for (auto it = Slots.begin(); it != Slots.end(); ++it) {
            if (it->get() == slot) {
                Slots.erase(it);
                return;
            }
        }
    }
};
}  // namespace detail

/// Disconnects its handler when destroyed or reset. Move-only.
class Connection {
  public:
    Connection() = default;
    Connection(std::weak_ptr<detail::SlotList> list, std::weak_ptr<detail::SlotBase> slot)
        : m_List(std::move(list)), m_Slot(std::move(slot)) {}
    Connection(Connection&& other) noexcept = default;
    Connection& operator=(Connection&& other) noexcept {
        if (this != &other) {
            Reset();
            m_List = std::move(other.m_List);
            m_Slot = std::move(other.m_Slot);
        }
        return *this;
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { Reset(); }

    /// Disconnects now; harmless when already disconnected or when the signal is gone.
    void Reset() {
        if (auto slot = m_Slot.lock()) {
            slot->Connected = false;
            if (auto list = m_List.lock()) list->Erase(slot.get());
        }
        m_Slot.reset();
        m_List.reset();
    }

    /// True while the handler is connected to a living signal.
    bool IsConnected() const { return !m_List.expired() && !m_Slot.expired(); }

  private:
    std::weak_ptr<detail::SlotList> m_List;
    std::weak_ptr<detail::SlotBase> m_Slot;
};

template <class... Args>
class Signal {
  public:
    using Handler = std::function<void(Args...)>;

    Signal() : m_List(std::make_shared<detail::SlotList>()) {}
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    [[nodiscard]] Connection Connect(Handler handler) {
        auto slot = std::make_shared<Slot>(std::move(handler));
        m_List->Slots.push_back(slot);
        return Connection(m_List, slot);
    }

    /// Calls every connected handler in connection order. Exceptions from a handler propagate
    /// to the raiser and stop the raise.
    void Raise(Args... args) const {
        const auto snapshot = m_List->Slots;  // handlers may change the list while we call
        for (const auto& base : snapshot) {
            if (!base->Connected) continue;
            static_cast<Slot&>(*base).Fn(args...);
        }
    }

    std::size_t ConnectionCount() const { return m_List->Slots.size(); }

  private:
    struct Slot : detail::SlotBase {
        explicit Slot(Handler fn) : Fn(std::move(fn)) {}
        Handler Fn;
    };
    std::shared_ptr<detail::SlotList> m_List;
};

}  // namespace vq
