#pragma once
// One enumerator template for the three enumerations the DLL hands out: IEnumVARIANT (For Each
// over the collections), IEnumConnectionPoints and IEnumConnections. It walks a snapshot taken
// when the enumeration began; clones share the snapshot and copy the position.

#include <memory>
#include <new>
#include <vector>

#include "win32/com/Automation.h"

namespace vq::win32 {

/// Copying an element out to the caller: VARIANT, CONNECTDATA, IConnectionPoint*.
struct VariantItems {
    using Element = VARIANT;
    using Held = Variant;
    static HRESULT CopyOut(const Held& held, Element* out) {
        VariantInit(out);
        return VariantCopy(out, const_cast<VARIANT*>(&held.Raw()));
    }
    static void Clear(Element* out) { VariantClear(out); }
};
struct ConnectionItems {
    using Element = CONNECTDATA;
    struct Held {
        ComPtr<IUnknown> Sink;
        DWORD Cookie;
    };
    static HRESULT CopyOut(const Held& held, Element* out) {
        held.Sink.CopyTo(&out->pUnk);
        out->dwCookie = held.Cookie;
        return S_OK;
    }
    static void Clear(Element* out) { ComPtr<IUnknown>::Adopt(std::exchange(out->pUnk, nullptr)); }
};
struct ConnectionPointItems {
    using Element = IConnectionPoint*;
    using Held = ComPtr<IConnectionPoint>;
    static HRESULT CopyOut(const Held& held, Element* out) {
        held.CopyTo(out);
        return S_OK;
    }
    static void Clear(Element* out) { Held::Adopt(std::exchange(*out, nullptr)); }
};

template <class IEnum, class Items>
class Enumerator final : public IEnum, public RefCounted {
  public:
    using Snapshot = std::vector<typename Items::Held>;

    /// A new enumerator over items. name: what trace lines call it; null for none (then its
    /// calls are not traced).
    static ComPtr<IEnum> Create(Snapshot items, const char* name = nullptr) {
        return Made(std::make_shared<const Snapshot>(std::move(items)), 0, name);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(IEnum))) {
            *object = static_cast<IEnum*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseReference(); }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, typename Items::Element* out,
                                   ULONG* fetched) override {
        if (fetched) *fetched = 0;
        if (out == nullptr) return E_POINTER;
        if (count > 1 && fetched == nullptr) return E_INVALIDARG;
        ULONG done = 0;
        while (done < count && m_Position < m_Items->size()) {
            const HRESULT hr = Items::CopyOut((*m_Items)[m_Position], &out[done]);
            if (FAILED(hr)) {
                for (ULONG i = 0; i < done; ++i) Items::Clear(&out[i]);
                return hr;
            }
            ++m_Position;
            ++done;
        }
        if (fetched) *fetched = done;
        Trace("Next", count, std::to_string(done) + " fetched");
        return done == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const std::size_t left = m_Items->size() - m_Position;
        const bool beyond = count > left;
        m_Position = beyond ? m_Items->size() : m_Position + count;
        Trace("Skip", count, beyond ? "past the end" : "ok");
        return beyond ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        m_Position = 0;
        Trace("Reset", -1, "ok");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnum** copy) override {
        if (copy == nullptr) return E_POINTER;
        *copy = nullptr;
        const HRESULT hr =
            Barrier(__uuidof(IEnum), [&] { *copy = Made(m_Items, m_Position, m_Name).Detach(); });
        Trace("Clone", -1, SUCCEEDED(hr) ? "Object" : "failed " + TraceCode(hr));
        return hr;
    }

  private:
    static ComPtr<IEnum> Made(std::shared_ptr<const Snapshot> items, std::size_t position,
                              const char* name) {
        return ComPtr<IEnum>::Adopt(new Enumerator(std::move(items), position, name));
    }
    Enumerator(std::shared_ptr<const Snapshot> items, std::size_t position, const char* name)
        : m_Items(std::move(items)), m_Position(position), m_Name(name) {}

    // One trace line for a call of a named enumerator; count < 0: none given.
    void Trace(const char* member, long long count, const std::string& outcome) const {
        if (m_Name == nullptr || !TraceOn()) return;
        std::string line = "call in: ";  // appended: GCC 12 misreads "literal" + temporary
        line += m_Name;
        line += '.';
        line += member;
        if (count >= 0) {
            line += '(';
            line += std::to_string(count);
            line += ')';
        }
        line += " -> ";
        line += outcome;
        TraceLine(line);
    }

    std::shared_ptr<const Snapshot> m_Items;
    std::size_t m_Position;
    const char* m_Name;  // a literal
};

using VariantEnumerator = Enumerator<IEnumVARIANT, VariantItems>;
using ConnectionEnumerator = Enumerator<IEnumConnections, ConnectionItems>;
using ConnectionPointEnumerator = Enumerator<IEnumConnectionPoints, ConnectionPointItems>;

}  // namespace vq::win32
