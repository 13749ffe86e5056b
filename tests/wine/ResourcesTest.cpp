// The DLL's resources: the version resource that ComponentVersion reports, and the string
// table compiled from the core's single text table (checked entry by entry, accents included),
// which GetText reads in the host's current language.
#include "Host.h"
#include "support/Texts.h"
#include "win32/com/Variants.h"

namespace vqtest {
namespace {

TEST(Resources, VersionResourceCarriesTheProjectVersionAndComments) {
    const std::wstring path = ProgramFolder() + L"vqTransmitters32.dll";
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(MAKELONG(1, 1), static_cast<LONG>(fixed->dwFileVersionMS));   // 1.1
    EXPECT_EQ(MAKELONG(12, 0), static_cast<LONG>(fixed->dwFileVersionLS));  // .0.12
    wchar_t* comments = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\Comments",
                               reinterpret_cast<void**>(&comments), &length));
    const std::string text = vq::win32::Narrow(comments);
    EXPECT_FALSE(text.empty());
    // ComponentVersion is built from these, with the service's separator.
    const ComPtr<IDispatch> world = World();
    const ComPtr<IDispatch> txms = NewTxms();
    EXPECT_EQ("vqTransmitters32.dll|1.01.0012|" + text + "|",
              GetText(txms.Get(), L"ComponentVersion"));
}

TEST(Resources, StringTableHoldsEveryTextOfTheCoreTable) {
    HMODULE module = LoadLibraryExW((ProgramFolder() + L"vqTransmitters32.dll").c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    const auto& entries = vq::CompiledTextEntries();
    ASSERT_GT(entries.size(), 200u);
    for (const auto& [id, text] : entries) {
        const wchar_t* resource = nullptr;
        const int length =
            LoadStringW(module, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&resource), 0);
        ASSERT_GT(length, 0) << id;
        EXPECT_EQ(std::string(text), vq::win32::Narrow(resource, static_cast<std::size_t>(length)))
            << id;
    }
    const wchar_t* missing = nullptr;
    EXPECT_EQ(0,
              LoadStringW(module, 2201, reinterpret_cast<LPWSTR>(&missing), 0));  // German lacks it
    FreeLibrary(module);
}

TEST(Resources, UntitledNamesFollowTheHostsLanguageAndCountPerModule) {
    const ComPtr<IDispatch> world = World();
    const std::string english = GetText(NewTxms().Get(), L"GetNextTxmName");
    ASSERT_EQ(0u, english.find("Untitled"));
    ASSERT_EQ(S_OK, PutByName(world.Get(), L"LanguageIndex", In(I4(2))).Hr);
    const std::string hungarian = GetText(NewTxms().Get(), L"GetNextTxmName");  // another one
    EXPECT_EQ("Névtelen" + std::to_string(std::stol(english.substr(8)) + 1), hungarian);
    ASSERT_EQ(S_OK, PutByName(world.Get(), L"LanguageIndex", In(I4(3))).Hr);  // German falls back
    EXPECT_EQ(0u, GetText(NewTxms().Get(), L"GetNextTxmName").find("Untitled"));
}

}  // namespace
}  // namespace vqtest
