#pragma once
// A class object that lives as long as its DLL: it is not reference counted, and LockServer
// counts toward the DLL's DllCanUnloadNow. Aggregation is not supported.

#include <functional>

#include "win32/com/ModuleState.h"

namespace vq::win32 {

class StaticClassFactory final : public IClassFactory {
  public:
    /// create makes a new object and answers the requested interface.
    using Creator = std::function<HRESULT(REFIID riid, void** object)>;
    explicit StaticClassFactory(Creator create) : m_Create(std::move(create)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        return m_Create(riid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        LockModule(lock != FALSE);
        return S_OK;
    }

  private:
    Creator m_Create;
};

}  // namespace vq::win32
