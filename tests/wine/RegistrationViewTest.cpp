// Registration as a host's installer does it on 64-bit Windows: DllRegisterServer of the i686
// DLL, run by a 32-bit program, writes the 32-bit view of the registry (Wow6432Node), that of
// the x86_64 DLL the 64-bit view; a host of the same architecture then creates the class by its
// ProgID. The keys are read back here from the view named explicitly.
#include <string>
#include <vector>

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

// The simulated product's family-2 device server, registered by vqSimProduct.dll.
constexpr CLSID kPellixServer = {
    0x3b5e8d07, 0x7d44, 0x4e0a, {0x9f, 0x16, 0x2c, 0x8a, 0x5d, 0x7e, 0x1b, 0x90}};

// Runs the test that follows in a child process, a host whose thread has created no class of
// the host product yet (a thread looks each class up once), with the DLL to register; its exit
// code.
DWORD RunUnloadableChild(const std::wstring& dll) {
    SetEnvironmentVariableW(L"VQ_UNLOADABLE_DLL", dll.c_str());
    const DWORD code = RunChildProgram(
        L"--gtest_also_run_disabled_tests "
        L"--gtest_filter=RegistrationView.DISABLED_InitializeWithUnloadable");
    SetEnvironmentVariableW(L"VQ_UNLOADABLE_DLL", nullptr);
    return code;
}

// In the child: the family-2 server's DLL registered as VQ_UNLOADABLE_DLL, then Initialize.
TEST(RegistrationView, DISABLED_InitializeWithUnloadable) {
    wchar_t dll[MAX_PATH * 2] = {};
    ASSERT_NE(0u, GetEnvironmentVariableW(L"VQ_UNLOADABLE_DLL", dll, MAX_PATH * 2));
    const std::wstring key = L"CLSID\\" + GuidText(kPellixServer) + L"\\InprocServer32";
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, dll,
                              static_cast<DWORD>((wcslen(dll) + 1) * sizeof(wchar_t))));
    const ComPtr<IDispatch> world = World(), txms = NewTxms();
    const ComPtr<IDispatch> host = GetObject(world.Get(), L"CreateHost");
    const Variant folder = Get(world.Get(), L"Folder");
    Var history = Var{Obj(nullptr)};
    const Outcome outcome = CallByName(txms.Get(), L"Initialize",
                                       {In(folder), In(Obj(host.Get())), history.ByRef(false)});
    ASSERT_EQ(S_OK, CallExport(L"vqSimProduct.dll", "DllRegisterServer"));  // back to normal
    EXPECT_EQ(DISP_E_EXCEPTION, outcome.Hr);
    EXPECT_EQ(static_cast<HRESULT>(0x800A01AD), outcome.Code);
    EXPECT_NE(std::string::npos, outcome.Description.find("vqPellix32.Server"))
        << outcome.Description;
    EXPECT_EQ(std::string::npos, outcome.Description.find("0x80040154")) << outcome.Description;
}

// A host's class whose registered DLL cannot be loaded into this process - missing, or built
// for the other architecture (an x86_64 DLL registered where a 32-bit host looks) - is
// reported with the cause, not as a class that is not registered.
TEST(RegistrationView, AnOutsideClassWhoseDllCannotLoadIsReportedWithTheCause) {
    std::vector<std::wstring> unloadable = {ProgramFolder() + L"vqMissing.dll"};
    // A 32-bit host meeting the x86_64 simulator (Wine's 64-bit loader cannot be given an i686
    // DLL: it crashes where Windows refuses it).
    const std::wstring other = ProgramFolder() + L"..\\..\\win64\\bin\\vqSimProduct.dll";
    if (kIs32Bit && GetFileAttributesW(other.c_str()) != INVALID_FILE_ATTRIBUTES)
        unloadable.push_back(other);
    for (const std::wstring& dll : unloadable)
        EXPECT_EQ(0u, RunUnloadableChild(dll)) << vq::win32::Narrow(dll);
    EXPECT_TRUE(NewObject(L"vqPellix32.Server"));
}

}  // namespace
}  // namespace vqtest
