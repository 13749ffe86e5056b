#pragma once
// Building blocks of the DLL's own automation objects: IDispatch answered from the embedded
// type library's cached type information, and a reference count that keeps the module busy.

#include <atomic>
#include <vector>

#include "win32/com/Barrier.h"
#include "win32/com/ModuleState.h"

namespace vq::win32 {

/// Implements IDispatch of Interface (a dual interface of the own type library) by forwarding
/// to its cached ITypeInfo: names through DispGetIDsOfNames, calls through ITypeInfo::Invoke,
/// which coerces arguments, applies default values and reports errors set by the methods.
template <class Interface>
class DispatchFromTypeInfo : public Interface {
  public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (info == nullptr) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        return Barrier(__uuidof(Interface), [&] { OwnTypeInfo(__uuidof(Interface)).CopyTo(info); });
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (names == nullptr || ids == nullptr) return E_POINTER;
        ComPtr<ITypeInfo> info;
        HRESULT hr = Barrier(__uuidof(Interface), [&] { info = OwnTypeInfo(__uuidof(Interface)); });
        if (FAILED(hr)) return hr;
        hr = DispGetIDsOfNames(info.Get(), names, count, ids);
        if (FAILED(hr)) TraceRejected(info.Get(), "GetIDsOfNames", count > 0 ? names[0] : L"", hr);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excepInfo,
                                     UINT* argError) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        ComPtr<ITypeInfo> info;
        const HRESULT hr =
            Barrier(__uuidof(Interface), [&] { info = OwnTypeInfo(__uuidof(Interface)); });
        if (FAILED(hr)) return hr;
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        if (params == nullptr) params = &none;
        // ITypeInfo::Invoke may ignore surplus arguments; a caller passing more than the
        // member takes is told so, as it would be on Windows.
        const HRESULT invoked = TooManyArguments(info.Get(), id, flags, *params)
                                    ? DISP_E_BADPARAMCOUNT
                                    : info->Invoke(static_cast<Interface*>(this), id, flags, params,
                                                   result, excepInfo, argError);
        // The member itself traces its calls; here only what never reached it.
        if (FAILED(invoked) && invoked != DISP_E_EXCEPTION)
            TraceRejected(info.Get(), "Invoke", DispatchText(id, flags), invoked);
        return invoked;
    }

  private:
    struct Arity {
        MEMBERID Id;
        INVOKEKIND Kind;
        UINT Parameters;  // without the return value
    };
    static bool TooManyArguments(ITypeInfo* info, DISPID id, WORD flags, const DISPPARAMS& params) {
        static const std::vector<Arity> arities = ReadArities(info);
        const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
        const UINT given = put ? params.cArgs : params.cArgs - params.cNamedArgs;
        bool known = false;
        for (const Arity& a : arities) {
            if (a.Id != id || ((a.Kind & flags) == 0)) continue;
            if (given <= a.Parameters) return false;
            known = true;
        }
        return known;
    }
    static std::vector<Arity> ReadArities(ITypeInfo* info) {
        std::vector<Arity> arities;
        for (UINT i = 0;; ++i) {
            FUNCDESC* f = nullptr;
            if (FAILED(info->GetFuncDesc(i, &f)) || f == nullptr) break;
            UINT parameters = 0;
            for (SHORT p = 0; p < f->cParams; ++p) {
                if ((f->lprgelemdescParam[p].paramdesc.wParamFlags &
                     (PARAMFLAG_FRETVAL | PARAMFLAG_FLCID)) == 0)
                    ++parameters;
            }
            arities.push_back({f->memid, f->invkind, parameters});
            info->ReleaseFuncDesc(f);
        }
        return arities;
    }
};

/// A thread-safe reference count for the DLL's objects. Derived classes call AddReference and
/// ReleaseReference from AddRef and Release; the last release deletes the object.
class RefCounted : public ModuleObject {
  protected:
    ULONG AddReference() { return ++m_Refs; }
    ULONG ReleaseReference() {
        const ULONG refs = --m_Refs;
        if (refs == 0) delete this;
        return refs;
    }
    ULONG References() const { return m_Refs.load(); }

  private:
    std::atomic<ULONG> m_Refs{1};
};

}  // namespace vq::win32
