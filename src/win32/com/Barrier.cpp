#include "win32/com/Barrier.h"

#include <cwchar>
#include <new>
#include <stdexcept>

#include "support/Failure.h"
#include "win32/com/Variants.h"

namespace vq::win32 {

void SetError(REFIID iid, const std::string& description) noexcept {
    try {
        ComPtr<ICreateErrorInfo> create;
        if (FAILED(CreateErrorInfo(create.Put()))) return;
        create->SetGUID(iid);
        create->SetSource(const_cast<LPOLESTR>(L"vqTransmitters32"));
        const std::wstring text = Widen(description);
        create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
        if (ComPtr<IErrorInfo> info = create.As<IErrorInfo>()) SetErrorInfo(0, info.Get());
    } catch (...) {
    }
}

namespace {

// Sets the error info and hands the text to the trace.
HRESULT Report(REFIID iid, HRESULT code, const std::string& text, std::string* description) {
    SetError(iid, text);
    if (description) *description = text;
    return code;
}

}  // namespace

HRESULT HandleException(REFIID iid, std::string* description) noexcept {
    try {
        try {
            throw;
        } catch (const Failure& failure) {
            const HRESULT code = failure.Code() < 0 ? static_cast<HRESULT>(failure.Code()) : E_FAIL;
            return Report(iid, code, failure.Description(), description);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (const std::invalid_argument& e) {
            return Report(iid, E_INVALIDARG, e.what(), description);
        } catch (const std::out_of_range& e) {
            return Report(iid, DISP_E_BADINDEX, e.what(), description);
        } catch (const std::exception& e) {
            return Report(iid, E_FAIL, e.what(), description);
        } catch (...) {
            return E_UNEXPECTED;
        }
    } catch (...) {  // the description could not be kept
        return E_OUTOFMEMORY;
    }
}

std::string TraceArg(const VARIANT& v) {
    return TraceForm(ToValue(v));
}
std::string TraceArg(const VARIANT* v) {
    return v ? TraceArg(*v) : "null";
}
std::string TraceArg(const wchar_t* text) {
    return TraceText(Narrow(text ? std::wstring(text, SysStringLen(const_cast<BSTR>(text))) : L""));
}
std::string TraceArg(wchar_t* const* text) {
    return text ? TraceArg(*text) : "null";
}
std::string TraceArg(LONG n) {
    return std::to_string(n);
}
std::string TraceArg(const LONG* n) {
    return n ? TraceArg(*n) : "null";
}
std::string TraceArg(SHORT n) {
    return std::to_string(n);
}
std::string TraceArg(const SHORT* n) {
    return n ? TraceArg(*n) : "null";
}
std::string TraceArg(ULONG n) {
    return std::to_string(n);
}
std::string TraceArg(IUnknown* object) {
    return object ? "Object" : "Nothing";
}
std::string TraceArg(IUnknown* const* object) {
    return object ? TraceArg(*object) : "null";
}
std::string TraceArg(IDispatch* const* object) {
    return object ? TraceArg(static_cast<IUnknown*>(*object)) : "null";
}

void TraceRejected(ITypeInfo* info, const char* method, const std::wstring& what,
                   HRESULT hr) noexcept {
    if (!TraceOn()) return;
    try {
        Bstr name;
        if (info) info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
        TraceLine("call in: " + name.Text() + "." + method + "(" + Narrow(what) + ") -> failed " +
                  TraceCode(hr));
    } catch (...) {
    }
}

std::wstring DispatchText(DISPID id, WORD flags) {
    wchar_t text[24];
    std::swprintf(text, 24, L"[0x%08lX]", static_cast<unsigned long>(id));
    std::wstring result = text;
    if (flags & DISPATCH_PROPERTYPUTREF) return result + L" put by reference";
    if (flags & DISPATCH_PROPERTYPUT) return result + L" put";
    return result + (flags & DISPATCH_METHOD ? L" call" : L" get");
}

void EntryTrace::Begin(const char* member) {
    m_On = true;
    m_Text = member;
    m_Put = !m_Text.empty() && m_Text.back() == '=';
}

void EntryTrace::Argument(const std::string& text) {
    m_Text += m_Arguments++ == 0 ? (m_Put ? " " : "(") : ", ";
    m_Text += text;
}

void EntryTrace::End() {
    if (!m_Put && m_Arguments > 0) m_Text += ')';
}

void EntryTrace::Finish(HRESULT hr, const std::string& failure, const std::string& result) const {
    std::string line = "call in: " + m_Text + " -> ";
    if (FAILED(hr))
        line += "failed " + TraceCode(hr) + (failure.empty() ? "" : ": " + failure);
    else
        line += result.empty() ? "ok" : result;
    TraceLine(line);
}

void RequireOut(const void* pointer, const char* name) {
    if (pointer == nullptr)
        throw Failure(static_cast<int32_t>(E_POINTER),
                      std::string("Invalid pointer: no place was given for ") + name);
}

}  // namespace vq::win32
