#pragma once
// What the Wine tests use to act as a host: COM set-up and registration of the component and
// the simulated host product, and late-bound calls made the way a Visual Basic host makes them
// (arguments by reference where it passes variables, VARIANT_BOOL -1, optional ones left out).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32/host/Outside.h"

namespace vqtest {

using vq::win32::Bstr;
using vq::win32::ComPtr;
using vq::win32::Variant;

/// For programs that act as a host outside the test runner: COM on this thread (a
/// single-threaded apartment) and both DLLs registered. False when either fails.
bool StartHostProgram();

/// The folder of the test program, where the DLLs are built too.
std::wstring ProgramFolder();
/// Calls an export of a DLL in the program folder (DllRegisterServer, DllCanUnloadNow, ...).
HRESULT CallExport(const wchar_t* dll, const char* name);
/// Runs this test program again in a child process with the given arguments (a gtest filter,
/// ...), inheriting this process's environment; its exit code, -1 when it cannot start or has
/// not ended after two minutes.
DWORD RunChildProgram(const std::wstring& arguments);

/// A new CTxms created by its ProgID.
ComPtr<IDispatch> NewTxms();
/// An object created by its ProgID (the simulated product's "vqItems32.Service", ...).
ComPtr<IDispatch> NewObject(const wchar_t* progId);
/// The simulated world's control object ("vqSim.World"), reset to its defaults.
ComPtr<IDispatch> World();

/// The outcome of a late-bound call.
struct Outcome {
    HRESULT Hr = S_OK;
    Variant Result;
    std::string Source;       // EXCEPINFO, when Hr is DISP_E_EXCEPTION
    std::string Description;  // EXCEPINFO
    HRESULT Code = S_OK;      // EXCEPINFO.scode
};

/// A host-side variable that is passed by reference.
struct Var {
    Variant Value;
    /// VT_BYREF|VT_VARIANT (a Variant variable) or VT_BYREF|<type> (a typed variable).
    VARIANT ByRef(bool asVariant = false);
};

// clang-format off
/// Argument values; Array is a SAFEARRAY of two longs. In gives a by-value VARIANT for an
/// argument list (not owned: valid while the source lives).
inline Variant Str(const std::string& text) { return vq::win32::Text(text); }
inline Variant I4(int32_t n) { return vq::win32::Long(n); }
inline Variant I2(int16_t n) { return vq::win32::Short(n); }
inline Variant Bool(bool b) { return vq::win32::Bool(vq::VbBool::From(b)); }
inline Variant Obj(IDispatch* object) { return vq::win32::ObjectVariant(object); }
inline Variant NullValue() { return vq::win32::ToVariant(vq::Value::Null()); }
inline Variant R8(double d) { return vq::win32::ToVariant(vq::Value(d)); }
Variant Array();
inline VARIANT In(const Variant& v) { return v.Raw(); }

/// Results as text, number, object; an object's identity (IUnknown) for comparisons.
inline std::string TextOf(const Variant& v) { return vq::win32::AsText(v); }
inline long LongOf(const Variant& v) { return vq::win32::AsLong(v); }
inline ComPtr<IDispatch> ObjectOf(const Variant& v) { return vq::win32::AsObject(v, "a result"); }
inline IUnknown* Identity(const ComPtr<IDispatch>& o) { return o.As<IUnknown>().Get(); }
// clang-format on

/// Calls a member by name (GetIDsOfNames, then Invoke) or by dispatch id. args are in
/// declaration order and are used as given (build by-reference ones with Var::ByRef).
Outcome CallByName(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args = {},
                   WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET);
Outcome CallById(IDispatch* object, DISPID id, std::vector<VARIANT> args = {},
                 WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET);
Outcome PutByName(IDispatch* object, const wchar_t* name, VARIANT value);

/// Succeeding calls: fail the test (with the EXCEPINFO) otherwise.
Variant Get(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args = {});
inline std::string GetText(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args = {}) {
    return TextOf(Get(object, name, std::move(args)));
}
inline long GetLong(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args = {}) {
    return LongOf(Get(object, name, std::move(args)));
}
inline ComPtr<IDispatch> GetObject(IDispatch* object, const wchar_t* name,
                                   std::vector<VARIANT> args = {}) {
    return ObjectOf(Get(object, name, std::move(args)));
}

/// Initialises a CTxms against the simulated product: Initialize(folder, host, history).
long InitializeTxms(IDispatch* txms, IDispatch* world);
/// Add by name with every argument a variable passed by reference (the key as a Variant).
Outcome AddByName(IDispatch* txms, std::vector<Var> args);
/// Adds a transmitter silently by name, as a host does: Add(key, type, address, port,
/// "4800,n,8,1", 1, name, False, True). Returns the transmitter or null.
ComPtr<IDispatch> AddSilently(IDispatch* txms, const std::string& key, long type, short address,
                              const std::string& name, short port = 1);

/// A host's session for a window test: the simulated world, a CTxms initialised against it and
/// the shared service, with the window's section of the thread's settings file cleared (the
/// file outlives a test: each starts without the window's settings).
struct WindowSession {
    explicit WindowSession(const char* section);
    ComPtr<IDispatch> World = vqtest::World();
    ComPtr<IDispatch> Txms = NewTxms();
    ComPtr<IDispatch> Service = NewObject(L"vqItems32.Service");
};

/// The reference count of an object (AddRef then Release).
ULONG RefCount(IUnknown* object);
/// The number of sinks connected to an object's only connection point.
long Connections(IDispatch* object);

/// A host-side object for fakes and event sinks: it answers IUnknown, IDispatch and one more
/// interface, counts its references without deleting itself (it lives on the stack), and has
/// no type information; derived classes answer Invoke.
class FakeDispatch : public IDispatch {
  public:
    explicit FakeDispatch(const IID& also = IID_IDispatch) : m_Also(also) {}
    virtual ~FakeDispatch() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_Refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_Refs; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    ULONG Refs() const { return m_Refs; }

  private:
    IID m_Also;
    ULONG m_Refs = 1;
};

}  // namespace vqtest
