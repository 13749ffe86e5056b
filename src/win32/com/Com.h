#pragma once
// Small COM helpers used throughout the Windows shell: an owning interface pointer, an owning
// VARIANT, and the conversions between the core's UTF-8 text and UTF-16 / BSTR.

#include <ocidl.h>
#include <ole2.h>
#include <oleauto.h>
#include <olectl.h>
#include <unknwn.h>
#include <windows.h>

#include <string>
#include <utility>

namespace vq::win32 {

/// Owns one reference to an interface.
template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    /// Takes a new reference (AddRef) to p.
    explicit ComPtr(T* p) : m_P(p) {
        if (m_P) m_P->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.m_P) {}
    ComPtr(ComPtr&& other) noexcept : m_P(std::exchange(other.m_P, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(m_P, other.m_P);
        return *this;
    }
    ~ComPtr() { Reset(); }

    /// Adopts a reference the caller already owns (no AddRef).
    static ComPtr Adopt(T* p) {
        ComPtr result;
        result.m_P = p;
        return result;
    }

    void Reset() {
        if (T* p = std::exchange(m_P, nullptr)) p->Release();
    }
    T* Get() const { return m_P; }
    T* operator->() const { return m_P; }
    T& operator*() const { return *m_P; }
    explicit operator bool() const { return m_P != nullptr; }
    /// For out-parameters: releases the current pointer and exposes the slot.
    T** Put() {
        Reset();
        return &m_P;
    }
    /// Hands the reference to the caller (no Release).
    T* Detach() { return std::exchange(m_P, nullptr); }

    /// QueryInterface for another interface; null when not supported.
    template <class U>
    ComPtr<U> As() const {
        ComPtr<U> result;
        if (m_P) m_P->QueryInterface(__uuidof(U), reinterpret_cast<void**>(result.Put()));
        return result;
    }

  private:
    T* m_P = nullptr;
};

/// Owns a VARIANT (VariantClear on destruction).
class Variant {
  public:
    Variant() { VariantInit(&m_V); }
    Variant(const Variant& other) : Variant() {
        VariantCopy(&m_V, const_cast<VARIANT*>(&other.m_V));
    }
    Variant(Variant&& other) noexcept : m_V(other.m_V) { VariantInit(&other.m_V); }
    Variant& operator=(Variant other) noexcept {
        std::swap(m_V, other.m_V);
        return *this;
    }
    ~Variant() { VariantClear(&m_V); }

    /// A copy of v (strings and objects duplicated / AddRef'd).
    static Variant Copy(const VARIANT& v) {
        Variant result;
        VariantCopy(&result.m_V, const_cast<VARIANT*>(&v));
        return result;
    }

    VARIANT* operator&() { return &m_V; }
    const VARIANT& operator*() const { return m_V; }
    VARIANT& Raw() { return m_V; }
    const VARIANT& Raw() const { return m_V; }
    /// Hands the value over to a caller's VARIANT (which must be empty or cleared).
    void MoveTo(VARIANT* target) {
        *target = m_V;
        VariantInit(&m_V);
    }

  private:
    VARIANT m_V;
};

/// Owns a BSTR.
class Bstr {
  public:
    Bstr() = default;
    explicit Bstr(const std::string& utf8);
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(m_B); }
    BSTR Get() const { return m_B; }
    BSTR* Put() {
        SysFreeString(m_B);
        m_B = nullptr;
        return &m_B;
    }
    BSTR Detach() { return std::exchange(m_B, nullptr); }
    /// The slot itself, for by-reference arguments that may replace the string.
    BSTR* Address() { return &m_B; }

  private:
    BSTR m_B = nullptr;
};

std::wstring Widen(const std::string& utf8);
std::string Narrow(const wchar_t* utf16, std::size_t length);
std::string Narrow(const std::wstring& utf16);
/// A BSTR's text as UTF-8 (a null BSTR is "").
std::string FromBstr(BSTR b);
/// A new BSTR holding the UTF-8 text; throws std::bad_alloc when out of memory.
BSTR ToBstr(const std::string& utf8);

}  // namespace vq::win32
