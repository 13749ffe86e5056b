#include "win32/server/Module.h"

#include <cstdio>
#include <mutex>
#include <optional>
#include <vector>

#include "support/Failure.h"
#include "support/Texts.h"
#include "support/ThreadContext.h"
#include "support/Trace.h"

namespace vq::win32 {

namespace {

// The string table compiled into the DLL's resources.
class ResourceTexts final : public TextSource {
  public:
    std::optional<std::string> Find(int32_t id) const override {
        if (id < 0 || id > 0xFFFF) return std::nullopt;
        const wchar_t* text = nullptr;
        const int length = LoadStringW(ModuleInstance(), static_cast<UINT>(id),
                                       reinterpret_cast<LPWSTR>(&text), 0);
        if (length <= 0 || text == nullptr) return std::nullopt;
        return Narrow(text, static_cast<std::size_t>(length));
    }
};

std::wstring QueryVersionString(const std::vector<BYTE>& block, const wchar_t* name) {
    struct Translation {
        WORD Language;
        WORD CodePage;
    };
    Translation* translations = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translations), &size) ||
        size < sizeof(Translation))
        return {};
    wchar_t path[64];
    std::swprintf(path, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translations->Language,
                  translations->CodePage, name);
    wchar_t* text = nullptr;
    if (!VerQueryValueW(block.data(), path, reinterpret_cast<void**>(&text), &size) || !text)
        return {};
    return std::wstring(text);
}

// The module data as the version resource holds it; nothing when there is no resource.
std::optional<ModuleInfo> ReadVersionResource() {
    HRSRC resource = FindResourceW(ModuleInstance(), MAKEINTRESOURCEW(VS_VERSION_INFO),
                                   MAKEINTRESOURCEW(16) /* RT_VERSION */);
    if (resource == nullptr) return std::nullopt;
    HGLOBAL loaded = LoadResource(ModuleInstance(), resource);
    const DWORD size = SizeofResource(ModuleInstance(), resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data == nullptr || size == 0) return std::nullopt;
    // VerQueryValue may write into the block, so it works on a copy.
    std::vector<BYTE> block(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) ||
        !fixed)
        return std::nullopt;

    ModuleInfo info;
    std::wstring path = ModulePath();
    const std::size_t slash = path.find_last_of(L"\\/");
    std::wstring file = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const std::size_t dot = file.find_last_of(L'.');
    info.FileTitle = Narrow(dot == std::wstring::npos ? file : file.substr(0, dot));
    info.Major = HIWORD(fixed->dwFileVersionMS);
    info.Minor = LOWORD(fixed->dwFileVersionMS);
    info.Revision = LOWORD(fixed->dwFileVersionLS);
    info.Comments = Narrow(QueryVersionString(block, L"Comments"));
    return info;
}

// A trace line goes to the debugger (DebugView, an IDE, Wine's warn+seh channel) and to the
// host's standard error when it has one (a console host, a test run).
void WriteTraceLine(const std::string& line) {
    const std::wstring text = Widen(line + "\n");
    OutputDebugStringW(text.c_str());
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    if (GetFileType(error) == FILE_TYPE_CHAR &&
        WriteConsoleW(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
        return;
    const std::string bytes = line + "\n";
    WriteFile(error, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

void PrepareModule() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (std::optional<ModuleInfo> info = ReadVersionResource()) SetModule(std::move(*info));
        SetTextSource(std::make_shared<ResourceTexts>());
        SetTraceSink(&WriteTraceLine);
    });
}

}  // namespace vq::win32

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        vq::win32::SetModuleInstance(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
