// Registration as a host's installer does it on 64-bit Windows: DllRegisterServer of the i686
// DLL, run by a 32-bit program, writes the 32-bit view of the registry (Wow6432Node), that of
// the x86_64 DLL the 64-bit view; a host of the same architecture then creates the class by its
// ProgID. The keys are read back here from the view named explicitly.
#include <string>

#include "Host.h"
#include "vqTransmitters32.h"

namespace vqtest {
namespace {

constexpr bool kIs32Bit = sizeof(void*) == 4;
const REGSAM kOwnView = kIs32Bit ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
const REGSAM kOtherView = kIs32Bit ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;

// A text value from HKEY_LOCAL_MACHINE in the given view; "" when the key or value is missing.
std::wstring MachineText(REGSAM view, const std::wstring& path, const wchar_t* name = nullptr) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return L"";
    wchar_t data[1024] = {};
    DWORD size = sizeof data - sizeof(wchar_t), type = 0;
    const LONG status =
        RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? data : L"";
}

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return !a.empty() && _wcsicmp(a.c_str(), b.c_str()) == 0;
}

TEST(RegistrationView, KeysAreInTheViewOfTheDllsArchitecture) {
    ASSERT_EQ(S_OK, CallExport(L"vqTransmitters32.dll", "DllRegisterServer"));
    const std::wstring dll = ProgramFolder() + L"vqTransmitters32.dll";
    const std::wstring clsid = L"Software\\Classes\\CLSID\\" + GuidText(CLSID_CTxms);
    const std::wstring server = clsid + L"\\InprocServer32";
    EXPECT_TRUE(SamePath(dll, MachineText(kOwnView, server)))
        << vq::win32::Narrow(MachineText(kOwnView, server));
    EXPECT_EQ(L"Apartment", MachineText(kOwnView, server, L"ThreadingModel"));
    EXPECT_EQ(GuidText(LIBID_vqTransmitters32), MachineText(kOwnView, clsid + L"\\TypeLib"));
    // The other architecture's view does not name this DLL (it may hold the other build's).
    EXPECT_FALSE(SamePath(dll, MachineText(kOtherView, server)));

    // The type library is registered for this architecture's system kind.
    const std::wstring library = L"Software\\Classes\\TypeLib\\" +
                                 GuidText(LIBID_vqTransmitters32) + L"\\1.0\\0\\" +
                                 (kIs32Bit ? L"win32" : L"win64");
    EXPECT_TRUE(SamePath(dll, MachineText(kOwnView, library)))
        << vq::win32::Narrow(MachineText(kOwnView, library));

    // A host of this architecture finds the class by its ProgID.
    CLSID found{};
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"vqTransmitters32.CTxms", &found));
    EXPECT_TRUE(IsEqualCLSID(CLSID_CTxms, found));
    const ComPtr<IDispatch> txms = NewTxms();
    ASSERT_TRUE(txms);
    EXPECT_EQ(0, GetLong(txms.Get(), L"Count"));
}

TEST(RegistrationView, UnregisteringLeavesNothingInTheOwnView) {
    const std::wstring clsid = L"Software\\Classes\\CLSID\\" + GuidText(CLSID_CTxms);
    ASSERT_EQ(S_OK, CallExport(L"vqTransmitters32.dll", "DllUnregisterServer"));
    EXPECT_EQ(L"", MachineText(kOwnView, clsid + L"\\InprocServer32"));
    CLSID found{};
    EXPECT_NE(S_OK, CLSIDFromProgID(L"vqTransmitters32.CTxms", &found));
    ASSERT_EQ(S_OK, CallExport(L"vqTransmitters32.dll", "DllRegisterServer"));
    EXPECT_TRUE(NewTxms());
}

}  // namespace
}  // namespace vqtest
