#pragma once
// The exception barrier of every COM entry point: no C++ exception crosses the boundary.
//
// A Failure becomes its own (failure) HRESULT with the thread's error info set to source
// "vqTransmitters32" and the Failure's description, so that ITypeInfo::Invoke reports
// DISP_E_EXCEPTION with that EXCEPINFO to late-bound callers and early-bound callers find the
// description through GetErrorInfo. Other exceptions map to the nearest precise HRESULT:
// std::bad_alloc to E_OUTOFMEMORY, std::invalid_argument to E_INVALIDARG, std::out_of_range
// to DISP_E_BADINDEX, any other std::exception to E_FAIL (with its text), anything else to
// E_UNEXPECTED.

#include "support/Trace.h"
#include "win32/com/Com.h"

namespace vq::win32 {

/// Turns the exception being handled into an HRESULT as described above. Call only inside a
/// catch block. description, when given, receives the failure's text.
HRESULT HandleException(REFIID iid, std::string* description = nullptr) noexcept;

/// Sets the thread's error info (source "vqTransmitters32") for iid.
void SetError(REFIID iid, const std::string& description) noexcept;

/// Runs body (returning void) behind the barrier; S_OK when it returns normally.
template <class Body>
HRESULT Barrier(REFIID iid, Body&& body) noexcept {
    try {
        body();
        return S_OK;
    } catch (...) {
        return HandleException(iid);
    }
}

/// Short forms of the parameter types of the component's members, for trace lines. Pointers
/// are by-reference parameters and show what they point at ("null" for a null pointer).
std::string TraceArg(const VARIANT& v);
std::string TraceArg(const VARIANT* v);
std::string TraceArg(const wchar_t* text);  // BSTR
std::string TraceArg(wchar_t* const* text);
std::string TraceArg(LONG n);
std::string TraceArg(const LONG* n);
std::string TraceArg(SHORT n);  // also VARIANT_BOOL
std::string TraceArg(const SHORT* n);
std::string TraceArg(ULONG n);
std::string TraceArg(IUnknown* object);
std::string TraceArg(IUnknown* const* object);
std::string TraceArg(IDispatch* const* object);

/// One entry into the component as a trace line writes it: "call in: member(arguments) ->
/// outcome". The arguments are taken in short form when the call begins, and only when
/// tracing is on. A member ending in '=' is a property put: "member value".
class EntryTrace {
  public:
    template <class... Args>
    explicit EntryTrace(const char* member, const Args&... args) {
        if (!TraceOn()) return;
        Begin(member);
        (Argument(TraceArg(args)), ...);
        End();
    }
    bool On() const { return m_On; }
    /// Writes the line: the failure, or the result (nullptr: none).
    void Finish(HRESULT hr, const std::string& failure, const std::string& result) const;

  private:
    void Begin(const char* member);
    void Argument(const std::string& text);
    void End();

    bool m_On = false;
    bool m_Put = false;
    std::size_t m_Arguments = 0;
    std::string m_Text;
};

inline std::string TraceResult(std::nullptr_t) {
    return {};
}
template <class Result>
std::string TraceResult(Result* result) {
    return result ? TraceArg(result) : std::string();
}

/// Barrier for a member of the component's own objects, which also writes its trace line.
/// result is the member's out-parameter (nullptr for none), shown when the call succeeds.
template <class Result, class Body>
HRESULT TracedBarrier(REFIID iid, const EntryTrace& trace, Result result, Body&& body) noexcept {
    std::string failure;
    HRESULT hr = S_OK;
    try {
        body();
    } catch (...) {
        hr = HandleException(iid, trace.On() ? &failure : nullptr);
    }
    if (trace.On()) {
        try {
            trace.Finish(hr, failure, SUCCEEDED(hr) ? TraceResult(result) : std::string());
        } catch (...) {
        }
    }
    return hr;
}

/// Traces a call through IDispatch that the type information refused before any member ran
/// (unknown name, wrong argument count or type): "call in: _CTxms.Invoke(...) -> failed ...".
void TraceRejected(ITypeInfo* info, const char* method, const std::wstring& what,
                   HRESULT hr) noexcept;
/// "[0x60030003] get" and the like: a dispatch id and the kind of call.
std::wstring DispatchText(DISPID id, WORD flags);

/// Checks an out-pointer; throws Failure with E_POINTER when it is null.
void RequireOut(const void* pointer, const char* name);

}  // namespace vq::win32
