#pragma once
// What the Wine tests use to act as a host: COM set-up and registration of the component and
// the simulated host product, and late-bound calls made the way a Visual Basic host makes them
// (arguments by reference where it passes variables, VARIANT_BOOL -1, optional ones left out).

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "win32/com/Com.h"

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

/// A host-side variable that is passed by reference (VT_BYREF | its type).
class Var {
  public:
    Var() = default;
    static Var Of(Variant v) {
        Var var;
        var.m_Value = std::move(v);
        return var;
    }
    Variant& Value() { return m_Value; }
    /// VT_BYREF|VT_VARIANT (a Variant variable) or VT_BYREF|<type> (a typed variable).
    VARIANT ByRef(bool asVariant);

  private:
    Variant m_Value;
};

/// Argument values.
Variant Str(const std::string& text);
Variant I4(int32_t n);
Variant I2(int16_t n);
Variant Bool(bool b);
Variant Obj(IDispatch* object);
Variant NullValue();
Variant EmptyValue();
Variant R8(double d);
/// A SAFEARRAY of two longs.
Variant Array();

/// Calls a member by name (GetIDsOfNames, then Invoke). args are in declaration order and are
/// used as given (build by-reference ones with Var::ByRef).
Outcome CallByName(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args = {},
                   WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET);
Outcome CallById(IDispatch* object, DISPID id, std::vector<VARIANT> args = {},
                 WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET);
/// Property put by name.
Outcome PutByName(IDispatch* object, const wchar_t* name, VARIANT value);

/// Succeeding calls: fail the test (with the EXCEPINFO) otherwise.
Variant Get(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args = {});
std::string GetText(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args = {});
long GetLong(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args = {});
ComPtr<IDispatch> GetObject(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args = {});

/// By-value VARIANT for argument lists (not owned: valid while the source lives).
inline VARIANT In(const Variant& v) {
    return v.Raw();
}

/// Text and number conversions of results.
std::string TextOf(const Variant& v);
long LongOf(const Variant& v);
ComPtr<IDispatch> ObjectOf(const Variant& v);

/// Initialises a CTxms against the simulated product: Initialize(folder, host, history).
long InitializeTxms(IDispatch* txms, IDispatch* world);
/// Adds a transmitter silently by name, as a host does: Add(key, type, address, port,
/// settings, protocol, name, autoConnect, -1). Returns the transmitter or null.
ComPtr<IDispatch> AddSilently(IDispatch* txms, const std::string& key, long type, short address,
                              const std::string& name, short port = 1);

/// The reference count of an object (AddRef then Release).
ULONG RefCount(IUnknown* object);

}  // namespace vqtest
