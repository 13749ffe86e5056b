#include "win32/com/Com.h"

#include <new>

namespace vq::win32 {

Bstr::Bstr(const std::string& utf8) : m_B(ToBstr(utf8)) {}

std::string Bstr::Text() const {
    return FromBstr(m_B);
}

void ExcepInfo::Fill() {
    if (m_Info.pfnDeferredFillIn == nullptr) return;
    const auto fill = std::exchange(m_Info.pfnDeferredFillIn, nullptr);
    fill(&m_Info);
}

HRESULT ExcepInfo::Code() const {
    if (m_Info.scode != 0) return m_Info.scode;
    if (m_Info.wCode != 0) return static_cast<HRESULT>(0x800A0000u | m_Info.wCode);
    return 0;
}

std::string ExcepInfo::Description() const {
    return FromBstr(m_Info.bstrDescription);
}

std::string ExcepInfo::Source() const {
    return FromBstr(m_Info.bstrSource);
}

void ExcepInfo::Clear() {
    SysFreeString(m_Info.bstrSource);
    SysFreeString(m_Info.bstrDescription);
    SysFreeString(m_Info.bstrHelpFile);
    m_Info = EXCEPINFO{};
}

void AssignInOut(IDispatch** slot, const ComPtr<IDispatch>& object) {
    ComPtr<IDispatch> released = ComPtr<IDispatch>::Adopt(*slot);
    object.CopyTo(slot);
}

void AssignInOut(BSTR* slot, const std::string& utf8) {
    BSTR replaced = ToBstr(utf8);
    SysFreeString(*slot);
    *slot = replaced;
}

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring result(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, result.data(), length);
    return result;
}

std::string Narrow(const wchar_t* utf16, std::size_t length) {
    if (utf16 == nullptr || length == 0) return {};
    const int size = static_cast<int>(length);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, utf16, size, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16, size, result.data(), bytes, nullptr, nullptr);
    return result;
}

std::string Narrow(const std::wstring& utf16) {
    return Narrow(utf16.data(), utf16.size());
}

std::string FromBstr(BSTR b) {
    return Narrow(b, b ? SysStringLen(b) : 0);
}

BSTR ToBstr(const std::string& utf8) {
    const std::wstring wide = Widen(utf8);
    BSTR result = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (result == nullptr) throw std::bad_alloc();
    return result;
}

}  // namespace vq::win32
