// The type library of each build against the architecture it is built for, and against the
// other build's library: the x86_64 and the i686 DLL carry libraries that describe the same
// members (dispatch ids, parameter types and flags) and differ only in the system kind and the
// vtable offsets that follow from the pointer size.
//
// The offsets are read from the raw resource: a loaded type library reports them rescaled to
// the pointer size of the process that loaded it, whatever the file says.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Host.h"
#include "vqTransmitters32.h"

namespace vqtest {
namespace {

// The DLL of the other architecture: VQ_OTHER_BUILD_DLL (a Windows path), else the DLL of the
// sibling build folder (build/win32 beside build/win64).
std::wstring OtherBuildDll() {
    if (const char* given = std::getenv("VQ_OTHER_BUILD_DLL"); given && *given)
        return vq::win32::Widen(given);
    const std::wstring sibling = sizeof(void*) == 8 ? L"win32" : L"win64";
    return ProgramFolder() + L"..\\..\\" + sibling + L"\\bin\\vqTransmitters32.dll";
}

std::wstring OwnDll() {
    return ProgramFolder() + L"vqTransmitters32.dll";
}

// The bytes of a DLL's TYPELIB 1 resource, read without running the DLL (any architecture).
std::vector<unsigned char> TypeLibResource(const std::wstring& dll) {
    HMODULE module = LoadLibraryExW(dll.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) return {};
    std::vector<unsigned char> bytes;
    if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), L"TYPELIB")) {
        const auto* data =
            static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
        if (data) bytes.assign(data, data + SizeofResource(module, found));
    }
    FreeLibrary(module);
    return bytes;
}

// What the file of a type library says about one interface: the system kind of the library,
// and each function's dispatch id and raw vtable offset, in the order the file lists them
// (the declaration order).
struct RawInterface {
    int SysKind = -1;
    std::vector<std::pair<long, int>> IdAndOffset;
};

class RawTypeLib {
  public:
    explicit RawTypeLib(std::vector<unsigned char> bytes) : m_Bytes(std::move(bytes)) {}

    RawInterface Interface(REFGUID guid) const {
        RawInterface found;
        if (Int(0) != 0x5446534D) return found;  // "MSFT"
        found.SysKind = Int(0x14) & 0xF;
        const int types = Int(0x20);
        // After the header: the help DLL's string when flagged, the offsets of the type
        // infos, then the directory of segments (type infos first, the GUIDs sixth).
        const size_t directory = 0x54 + ((Int(0x14) & 0x100) ? 4 : 0) + 4 * size_t(types);
        const size_t typeInfos = Int(directory), guids = Int(directory + 5 * 16);
        for (int t = 0; t < types; ++t) {
            const size_t base = typeInfos + 0x64 * size_t(t);
            if (std::memcmp(At(guids + Int(base + 0x2C), sizeof(GUID)), &guid, sizeof(GUID)) != 0)
                continue;
            const size_t members = Int(base + 4), records = Int(members);
            const int functions = Int(base + 0x18) & 0xFFFF;
            size_t record = members + 4;
            for (int f = 0; f < functions; ++f) {
                const long id = Int(members + records + 4 * (f + 1));
                found.IdAndOffset.emplace_back(id, Short(record + 12) & ~1);
                record += Int(record) & 0xFFFF;
            }
        }
        return found;
    }

  private:
    const void* At(size_t offset, size_t size) const {
        static const unsigned char none[16] = {};
        return offset + size <= m_Bytes.size() ? &m_Bytes[offset] : none;
    }
    int Int(size_t offset) const {
        int32_t value;
        std::memcpy(&value, At(offset, 4), 4);
        return value;
    }
    int Short(size_t offset) const {
        int16_t value;
        std::memcpy(&value, At(offset, 2), 2);
        return value;
    }
    std::vector<unsigned char> m_Bytes;
};

std::string TypeText(ITypeInfo* info, const TYPEDESC& type) {
    if (type.vt == VT_PTR || type.vt == VT_SAFEARRAY)
        return (type.vt == VT_PTR ? "*" : "[]") + TypeText(info, *type.lptdesc);
    if (type.vt != VT_USERDEFINED) return std::to_string(type.vt);
    ComPtr<ITypeInfo> referenced;
    Bstr name;
    if (SUCCEEDED(info->GetRefTypeInfo(type.hreftype, referenced.Put())))
        referenced->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
    return name.Text();
}

// One line per function: name, dispatch id, kind, flags, calling convention, the return type
// and each parameter's type, flags and default; everything but where it sits in the vtable.
std::string FunctionText(ITypeInfo* info, const FUNCDESC& f) {
    Bstr name;
    info->GetDocumentation(f.memid, &name, nullptr, nullptr, nullptr);
    char head[96];
    std::snprintf(head, sizeof head, " id=%lx kind=%d invoke=%d flags=%x cc=%d opt=%d ret=",
                  static_cast<unsigned long>(f.memid), f.funckind, f.invkind, f.wFuncFlags,
                  f.callconv, f.cParamsOpt);
    std::string text = name.Text() + head + TypeText(info, f.elemdescFunc.tdesc);
    for (int p = 0; p < f.cParams; ++p) {
        const ELEMDESC& param = f.lprgelemdescParam[p];
        text +=
            " (" + TypeText(info, param.tdesc) + " " + std::to_string(param.paramdesc.wParamFlags);
        if (param.paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT)
            text += " =" + TextOf(Variant::Copy(param.paramdesc.pparamdescex->varDefaultValue));
        text += ")";
    }
    return text + "\n";
}

// Every type of a library with its functions, for comparing two libraries.
std::string Describe(ITypeLib* library) {
    std::string text;
    for (UINT t = 0; t < library->GetTypeInfoCount(); ++t) {
        ComPtr<ITypeInfo> info;
        TYPEATTR* attr = nullptr;
        if (FAILED(library->GetTypeInfo(t, info.Put())) || FAILED(info->GetTypeAttr(&attr))) {
            text += "unreadable type\n";
            continue;
        }
        Bstr name;
        info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
        char head[128];
        std::snprintf(head, sizeof head, "type %s kind=%d flags=%x functions=%d vars=%d impl=%d\n",
                      name.Text().c_str(), attr->typekind, attr->wTypeFlags, attr->cFuncs,
                      attr->cVars, attr->cImplTypes);
        text += head;
        for (UINT i = 0; i < attr->cFuncs; ++i) {
            FUNCDESC* f = nullptr;
            if (FAILED(info->GetFuncDesc(i, &f))) continue;
            text += FunctionText(info.Get(), *f);
            info->ReleaseFuncDesc(f);
        }
        info->ReleaseTypeAttr(attr);
    }
    return text;
}

ComPtr<ITypeLib> Load(const std::wstring& dll) {
    ComPtr<ITypeLib> library;
    EXPECT_EQ(S_OK, LoadTypeLibEx(dll.c_str(), REGKIND_NONE, library.Put()))
        << vq::win32::Narrow(dll);
    return library;
}

SYSKIND SysKindOf(ITypeLib* library) {
    TLIBATTR* attr = nullptr;
    library->GetLibAttr(&attr);
    const SYSKIND kind = attr->syskind;
    library->ReleaseTLibAttr(attr);
    return kind;
}

const IID* const kDualInterfaces[] = {&IID__CTxms, &IID__CServers, &IID__CPlacementWindow};

// Each dual interface's functions follow IDispatch's seven, one pointer apart, in the order
// they are declared; the pointer size is the one of the library's system kind.
void ExpectVtableLayout(const std::wstring& dll, SYSKIND expected) {
    const RawTypeLib raw(TypeLibResource(dll));
    for (const IID* iid : kDualInterfaces) {
        const RawInterface dual = raw.Interface(*iid);
        ASSERT_EQ(expected, dual.SysKind) << vq::win32::Narrow(dll);
        ASSERT_FALSE(dual.IdAndOffset.empty()) << vq::win32::Narrow(dll);
        const int pointer = expected == SYS_WIN32 ? 4 : 8;
        for (size_t i = 0; i < dual.IdAndOffset.size(); ++i)
            EXPECT_EQ(pointer * int(7 + i), dual.IdAndOffset[i].second)
                << vq::win32::Narrow(dll) << " function " << i << " id " << std::hex
                << dual.IdAndOffset[i].first;
    }
}

TEST(TypeLibraryLayout, OwnLibraryFitsThisArchitecture) {
    const SYSKIND own = sizeof(void*) == 4 ? SYS_WIN32 : SYS_WIN64;
    EXPECT_EQ(own, SysKindOf(Load(OwnDll()).Get()));
    ExpectVtableLayout(OwnDll(), own);

    // The declared order is the order the loaded library gives the vtable (the host binding's
    // order, checked by name in TypeLibrary tests).
    const RawInterface raw = RawTypeLib(TypeLibResource(OwnDll())).Interface(IID__CTxms);
    ComPtr<ITypeInfo> dispatch, dual;
    HREFTYPE ref = 0;
    ASSERT_EQ(S_OK, Load(OwnDll())->GetTypeInfoOfGuid(IID__CTxms, dispatch.Put()));
    ASSERT_EQ(S_OK, dispatch->GetRefTypeOfImplType(-1, &ref));
    ASSERT_EQ(S_OK, dispatch->GetRefTypeInfo(ref, dual.Put()));
    ASSERT_EQ(23u, raw.IdAndOffset.size());
    for (UINT i = 0; i < raw.IdAndOffset.size(); ++i) {
        FUNCDESC* f = nullptr;
        ASSERT_EQ(S_OK, dual->GetFuncDesc(i, &f));
        EXPECT_EQ(raw.IdAndOffset[i].first, f->memid) << i;
        EXPECT_EQ(static_cast<int>(sizeof(void*)) * int(7 + i), f->oVft) << i;
        dual->ReleaseFuncDesc(f);
    }
}

TEST(TypeLibraryLayout, SameMembersAsTheOtherArchitecture) {
    const std::wstring other = OtherBuildDll();
    if (GetFileAttributesW(other.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "the other architecture's DLL is not built: " << vq::win32::Narrow(other);
    const SYSKIND otherKind = sizeof(void*) == 4 ? SYS_WIN64 : SYS_WIN32;
    const ComPtr<ITypeLib> theirs = Load(other);
    ASSERT_TRUE(theirs);
    EXPECT_EQ(otherKind, SysKindOf(theirs.Get()));
    ExpectVtableLayout(other, otherKind);
    const std::string ours = Describe(Load(OwnDll()).Get());
    EXPECT_NE(std::string::npos, ours.find("OnTxmSync id=1 "));  // the description is complete
    EXPECT_EQ(ours, Describe(theirs.Get()));
}

}  // namespace
}  // namespace vqtest
