#pragma once
// Owning wrappers for everything COM hands out, and the conversions between the core's UTF-8
// text and UTF-16 / BSTR. Every reference, BSTR, VARIANT and EXCEPINFO the Windows shell keeps
// lives in one of these; a raw interface pointer in the shell never owns a reference.

#include <ocidl.h>
#include <ole2.h>
#include <oleauto.h>
#include <olectl.h>
#include <unknwn.h>
#include <windows.h>

#include <new>
#include <string>
#include <type_traits>
#include <utility>

namespace vq::win32 {

/// Owns one reference to an interface.
template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    /// Takes a reference of its own (AddRef) on p; the caller keeps whatever it had.
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

    /// Takes over a reference the caller owns (no AddRef): a freshly made object or an
    /// out-parameter some API filled.
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
    bool operator==(const ComPtr& other) const { return m_P == other.m_P; }

    /// For out-parameters: releases the current reference and exposes the empty slot, which the
    /// callee fills with a reference this object then owns.
    T** Put() {
        Reset();
        return &m_P;
    }
    /// Put() for the void** of QueryInterface and CoCreateInstance.
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    /// For [in, out] parameters: the callee may release the current reference and leave
    /// another one in the slot, which this object then owns.
    T** InOut() { return &m_P; }
    /// Hands the reference to the caller (no Release).
    T* Detach() { return std::exchange(m_P, nullptr); }
    /// Gives a caller's out-parameter a reference of its own.
    void CopyTo(T** out) const {
        *out = m_P;
        if (m_P) m_P->AddRef();
    }

    /// QueryInterface for another interface; null when not supported.
    template <class U>
    ComPtr<U> As() const {
        ComPtr<U> result;
        if (m_P) m_P->QueryInterface(__uuidof(U), result.PutVoid());
        return result;
    }

  private:
    T* m_P = nullptr;
};

/// A new object of a COM class of this DLL (created with one reference), owned from the start.
template <class T, class... Args>
ComPtr<T> MakeObject(Args&&... args) {
    return ComPtr<T>::Adopt(new T(std::forward<Args>(args)...));
}

/// Owns a VARIANT (VariantClear on destruction and before it is filled again).
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

    /// For out-parameters: clears the current value and exposes the empty VARIANT.
    VARIANT* Put() {
        VariantClear(&m_V);
        return &m_V;
    }
    VARIANT* operator&() { return Put(); }
    const VARIANT& operator*() const { return m_V; }
    /// The VARIANT itself, to read it or to build a value in place.
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
    Bstr(Bstr&& other) noexcept : m_B(std::exchange(other.m_B, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        std::swap(m_B, other.m_B);
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(m_B); }

    BSTR Get() const { return m_B; }
    /// For out-parameters: frees the current string and exposes the empty slot.
    BSTR* Put() {
        SysFreeString(std::exchange(m_B, nullptr));
        return &m_B;
    }
    BSTR* operator&() { return Put(); }
    /// For [in, out] parameters: the callee may free the string and leave another.
    BSTR* InOut() { return &m_B; }
    BSTR Detach() { return std::exchange(m_B, nullptr); }
    /// The text as UTF-8 ("" for a null BSTR).
    std::string Text() const;

  private:
    BSTR m_B = nullptr;
};

/// Owns the strings of an EXCEPINFO that a failed IDispatch::Invoke filled.
class ExcepInfo {
  public:
    ExcepInfo() = default;
    ExcepInfo(const ExcepInfo&) = delete;
    ExcepInfo& operator=(const ExcepInfo&) = delete;
    ~ExcepInfo() { Clear(); }

    /// For the Invoke call: frees what an earlier call left and exposes a zeroed EXCEPINFO.
    EXCEPINFO* Put() {
        Clear();
        return &m_Info;
    }
    EXCEPINFO* operator&() { return Put(); }
    /// Runs a deferred fill-in, once.
    void Fill();
    /// The error code: scode, or the automation error wCode as 0x800A0000 + wCode; 0 if neither.
    HRESULT Code() const;
    std::string Description() const;
    std::string Source() const;

  private:
    void Clear();
    EXCEPINFO m_Info{};
};

/// Runs a function when the scope ends, however it ends. The function must not throw.
template <class F>
class ScopeExit {
  public:
    explicit ScopeExit(F f) : m_F(std::move(f)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ~ScopeExit() noexcept { m_F(); }

  private:
    F m_F;
};

/// Holds a value for the rest of the process: its destructor deliberately never runs. This is
/// the one way the Windows shell leaks on purpose; each use says why the value must outlive
/// every orderly shutdown (thread end, module unload, CoUninitialize).
template <class T>
class NeverReleased {
  public:
    template <class... Args>
    explicit NeverReleased(Args&&... args) {
        ::new (static_cast<void*>(m_Storage)) T(std::forward<Args>(args)...);
    }
    NeverReleased(const NeverReleased&) = delete;
    NeverReleased& operator=(const NeverReleased&) = delete;
    ~NeverReleased() = default;  // T's destructor is not called

    T& operator*() { return *std::launder(reinterpret_cast<T*>(m_Storage)); }
    T* operator->() { return &**this; }

  private:
    alignas(T) unsigned char m_Storage[sizeof(T)];
};

/// Gives a by-reference object argument a new value: the reference it held is released, and
/// the slot receives a reference of its own to object (the [in, out] convention).
void AssignInOut(IDispatch** slot, const ComPtr<IDispatch>& object);
/// Gives a by-reference text argument a new value (the old BSTR is freed).
void AssignInOut(BSTR* slot, const std::string& utf8);

std::wstring Widen(const std::string& utf8);
std::string Narrow(const wchar_t* utf16, std::size_t length);
std::string Narrow(const std::wstring& utf16);
/// A BSTR's text as UTF-8 (a null BSTR is "").
std::string FromBstr(BSTR b);
/// A new BSTR holding the UTF-8 text; throws std::bad_alloc when out of memory. The caller owns
/// it: use it only to fill an out-parameter or to build an owning wrapper.
BSTR ToBstr(const std::string& utf8);

}  // namespace vq::win32
