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

    /// A new enumerator over items.
    static ComPtr<IEnum> Create(Snapshot items) {
        return Made(std::make_shared<const Snapshot>(std::move(items)), 0);
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
        return done == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const std::size_t left = m_Items->size() - m_Position;
        if (count > left) {
            m_Position = m_Items->size();
            return S_FALSE;
        }
        m_Position += count;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        m_Position = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnum** copy) override {
        if (copy == nullptr) return E_POINTER;
        *copy = nullptr;
        return Barrier(__uuidof(IEnum), [&] { *copy = Made(m_Items, m_Position).Detach(); });
    }

  private:
    static ComPtr<IEnum> Made(std::shared_ptr<const Snapshot> items, std::size_t position) {
        return ComPtr<IEnum>::Adopt(new Enumerator(std::move(items), position));
    }
    Enumerator(std::shared_ptr<const Snapshot> items, std::size_t position)
        : m_Items(std::move(items)), m_Position(position) {}

    std::shared_ptr<const Snapshot> m_Items;
    std::size_t m_Position;
};

using VariantEnumerator = Enumerator<IEnumVARIANT, VariantItems>;
using ConnectionEnumerator = Enumerator<IEnumConnections, ConnectionItems>;
using ConnectionPointEnumerator = Enumerator<IEnumConnectionPoints, ConnectionPointItems>;

}  // namespace vq::win32
