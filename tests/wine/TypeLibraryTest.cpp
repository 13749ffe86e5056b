// The identities hosts bind to, read back from the DLL's embedded type library, and the
// registration that DllRegisterServer writes and DllUnregisterServer removes.
#include <map>

#include "Host.h"
#include "vqTransmitters32.h"

namespace vqtest {
namespace {

ComPtr<ITypeLib> LoadOwnLibrary() {
    ComPtr<ITypeLib> library;
    EXPECT_EQ(S_OK, LoadTypeLibEx((ProgramFolder() + L"vqTransmitters32.dll").c_str(), REGKIND_NONE,
                                  library.Put()));
    return library;
}

std::string DocString(ITypeInfo* info, MEMBERID id) {
    BSTR name = nullptr, doc = nullptr;
    info->GetDocumentation(id, &name, &doc, nullptr, nullptr);
    std::string text = vq::win32::FromBstr(doc);
    SysFreeString(name);
    SysFreeString(doc);
    return text;
}

struct Member {
    std::string Name;
    MEMBERID Id;
    INVOKEKIND Kind;
};

std::vector<Member> MembersInVtableOrder(ITypeInfo* info) {
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    std::vector<std::pair<SHORT, Member>> found;
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        info->GetFuncDesc(i, &f);
        BSTR name = nullptr;
        UINT count = 0;
        info->GetNames(f->memid, &name, 1, &count);
        found.push_back({f->oVft, {vq::win32::FromBstr(name), f->memid, f->invkind}});
        SysFreeString(name);
        info->ReleaseFuncDesc(f);
    }
    info->ReleaseTypeAttr(attr);
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Member> members;
    for (auto& [offset, member] : found) members.push_back(member);
    return members;
}

TEST(TypeLibrary, IdentitiesHelpstringsAndClass) {
    const ComPtr<ITypeLib> library = LoadOwnLibrary();
    ASSERT_TRUE(library);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(attr->guid, LIBID_vqTransmitters32));
    EXPECT_EQ(1, attr->wMajorVerNum);
    EXPECT_EQ(0, attr->wMinorVerNum);
    library->ReleaseTLibAttr(attr);
    BSTR doc = nullptr;
    library->GetDocumentation(-1, nullptr, &doc, nullptr, nullptr);
    EXPECT_EQ("Halvik Transmitters Type Library for Vistrel", vq::win32::FromBstr(doc));
    SysFreeString(doc);

    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(CLSID_CTxms, coclass.Put()));
    EXPECT_EQ("Contains the collection of all installed transmitters.",
              DocString(coclass.Get(), MEMBERID_NIL));
    // The default interface is _CTxms, the default source __CTxms.
    TYPEATTR* classAttr = nullptr;
    coclass->GetTypeAttr(&classAttr);
    ASSERT_EQ(2, classAttr->cImplTypes);
    coclass->ReleaseTypeAttr(classAttr);
    std::map<int, GUID> byFlags;
    for (UINT i = 0; i < 2; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> implemented;
        coclass->GetImplTypeFlags(i, &flags);
        coclass->GetRefTypeOfImplType(i, &ref);
        coclass->GetRefTypeInfo(ref, implemented.Put());
        TYPEATTR* a = nullptr;
        implemented->GetTypeAttr(&a);
        byFlags[flags] = a->guid;
        implemented->ReleaseTypeAttr(a);
    }
    EXPECT_TRUE(IsEqualGUID(byFlags[IMPLTYPEFLAG_FDEFAULT], IID__CTxms));
    EXPECT_TRUE(IsEqualGUID(byFlags[IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE], DIID___CTxms));
}

// The vtable face of the dual interface _CTxms, after checking its dispatch face's flags.
ComPtr<ITypeInfo> VtableFace(ITypeLib& library) {
    ComPtr<ITypeInfo> dispatch;
    EXPECT_EQ(S_OK, library.GetTypeInfoOfGuid(IID__CTxms, dispatch.Put()));
    TYPEATTR* attr = nullptr;
    dispatch->GetTypeAttr(&attr);
    EXPECT_EQ(TKIND_DISPATCH, attr->typekind);
    const WORD wanted = TYPEFLAG_FDUAL | TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE;
    EXPECT_EQ(wanted, attr->wTypeFlags & wanted);
    dispatch->ReleaseTypeAttr(attr);
    HREFTYPE vtableFace = 0;
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(S_OK, dispatch->GetRefTypeOfImplType(-1, &vtableFace));
    EXPECT_EQ(S_OK, dispatch->GetRefTypeInfo(vtableFace, info.Put()));
    info->GetTypeAttr(&attr);
    EXPECT_EQ(TKIND_INTERFACE, attr->typekind);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
    info->ReleaseTypeAttr(attr);
    return info;
}

TEST(TypeLibrary, DefaultInterfaceOrderAndDispids) {
    const ComPtr<ITypeLib> library = LoadOwnLibrary();
    const ComPtr<ITypeInfo> info = VtableFace(*library.Get());
    const std::vector<Member> members = MembersInVtableOrder(info.Get());
    const INVOKEKIND F = INVOKE_FUNC, G = INVOKE_PROPERTYGET, P = INVOKE_PROPERTYPUT;
    const std::vector<Member> expected = {{"Add", 0x60030000, F},
                                          {"ActiveTxm", 0x60030001, F},
                                          {"ActiveTxmIndex", 0x60030002, P},
                                          {"ActiveTxmIndex", 0x60030002, G},
                                          {"Item", 0, G},
                                          {"Count", 0x60030003, G},
                                          {"Remove", 0x60030004, F},
                                          {"NewEnum", -4, G},
                                          {"Initialize", 0x60030005, F},
                                          {"Servers", 0x60030006, G},
                                          {"ComponentVersion", 0x60030007, F},
                                          {"ShowWizard", 0x60030008, F},
                                          {"Edit", 0x60030009, F},
                                          {"Save", 0x6003000A, F},
                                          {"Load", 0x6003000B, F},
                                          {"GetNextTxmName", 0x6003000C, F},
                                          {"IniFilePath", 0x6003000D, G},
                                          {"IniFilePath", 0x6003000D, P},
                                          {"OffLine", 0x6003000E, G},
                                          {"OffLine", 0x6003000E, P},
                                          {"Historian", 0x6003000F, G},
                                          {"Historian", 0x6003000F, P},
                                          {"Clear", 0x60030010, F}};
    ASSERT_EQ(expected.size(), members.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].Name, members[i].Name) << "position " << i;
        EXPECT_EQ(expected[i].Id, members[i].Id) << expected[i].Name;
        EXPECT_EQ(expected[i].Kind, members[i].Kind) << expected[i].Name;
    }
}

TEST(TypeLibrary, ParameterFormsAndMemberFlags) {
    const ComPtr<ITypeLib> library = LoadOwnLibrary();
    const ComPtr<ITypeInfo> info = VtableFace(*library.Get());
    // Parameters (without the result) that must be passed by reference, per dispatch id.
    const std::map<MEMBERID, int> byReference = {
        {0x60030000, 9}, {0, 1}, {0x60030004, 1}, {0x60030009, 1}};
    int checked = 0;
    for (UINT i = 0;; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(info->GetFuncDesc(i, &f))) break;
        if (f->memid == -4) {
            EXPECT_EQ(FUNCFLAG_FRESTRICTED | FUNCFLAG_FHIDDEN,
                      f->wFuncFlags & (FUNCFLAG_FRESTRICTED | FUNCFLAG_FHIDDEN));
        }
        const auto found = byReference.find(f->memid);
        if (found != byReference.end()) {
            for (int p = 0; p < found->second; ++p)
                EXPECT_EQ(VT_PTR, f->lprgelemdescParam[p].tdesc.vt)
                    << f->memid << " parameter " << p;
            ++checked;
        }
        if (f->memid == 0x60030000) {  // Add's Silent: optional, false when left out
            ASSERT_EQ(10, f->cParams);
            const USHORT silent = f->lprgelemdescParam[8].paramdesc.wParamFlags;
            EXPECT_TRUE(silent & PARAMFLAG_FOPT);
            EXPECT_TRUE(silent & PARAMFLAG_FHASDEFAULT);
        }
        if (f->memid == 0x6003000B) {  // Load's IndexKey and AutoConnect are optional
            ASSERT_EQ(5, f->cParams);
            EXPECT_TRUE(f->lprgelemdescParam[2].paramdesc.wParamFlags & PARAMFLAG_FOPT);
            EXPECT_TRUE(f->lprgelemdescParam[3].paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT);
        }
        info->ReleaseFuncDesc(f);
    }
    EXPECT_EQ(4, checked);
}

TEST(TypeLibrary, EventInterface) {
    const ComPtr<ITypeLib> library = LoadOwnLibrary();
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(DIID___CTxms, info.Put()));
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    EXPECT_EQ(TKIND_DISPATCH, attr->typekind);
    ASSERT_EQ(1, attr->cFuncs);
    info->ReleaseTypeAttr(attr);
    FUNCDESC* f = nullptr;
    ASSERT_EQ(S_OK, info->GetFuncDesc(0, &f));
    EXPECT_EQ(1, f->memid);
    ASSERT_EQ(1, f->cParams);
    EXPECT_EQ(VT_PTR, f->lprgelemdescParam[0].tdesc.vt);
    EXPECT_EQ(VT_BSTR, f->lprgelemdescParam[0].tdesc.lptdesc->vt);
    EXPECT_EQ(PARAMFLAG_FIN | PARAMFLAG_FOUT,
              f->lprgelemdescParam[0].paramdesc.wParamFlags & (PARAMFLAG_FIN | PARAMFLAG_FOUT));
    info->ReleaseFuncDesc(f);
    BSTR name = nullptr;
    UINT count = 0;
    info->GetNames(1, &name, 1, &count);
    EXPECT_EQ("OnTxmSync", vq::win32::FromBstr(name));
    SysFreeString(name);
}

std::wstring ReadKey(const std::wstring& path, const wchar_t* value = nullptr) {
    wchar_t data[1024] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), value, RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS)
        return L"<missing>";
    return data;
}

TEST(Registration, RegisterAndUnregister) {
    const std::wstring clsid = L"CLSID\\{6F0E20A6-E81B-4426-B721-A3A514AF5FDF}";
    const std::wstring path = ProgramFolder() + L"vqTransmitters32.dll";
    ASSERT_EQ(S_OK, CallExport(L"vqTransmitters32.dll", "DllRegisterServer"));
    EXPECT_EQ(0, _wcsicmp(path.c_str(), ReadKey(clsid + L"\\InprocServer32").c_str()));
    EXPECT_EQ(L"Apartment", ReadKey(clsid + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_EQ(L"vqTransmitters32.CTxms", ReadKey(clsid + L"\\ProgID"));
    EXPECT_EQ(L"vqTransmitters32.CTxms", ReadKey(clsid + L"\\VersionIndependentProgID"));
    EXPECT_EQ(L"{9AF6EE27-3045-47DC-B08B-A445EA7C851E}", ReadKey(clsid + L"\\TypeLib"));
    EXPECT_EQ(L"1.0", ReadKey(clsid + L"\\Version"));
    EXPECT_EQ(L"{6F0E20A6-E81B-4426-B721-A3A514AF5FDF}", ReadKey(L"vqTransmitters32.CTxms\\Clsid"));
    ComPtr<ITypeLib> registered;
    EXPECT_EQ(S_OK, LoadRegTypeLib(LIBID_vqTransmitters32, 1, 0, LOCALE_NEUTRAL, registered.Put()));
    registered.Reset();

    ASSERT_EQ(S_OK, CallExport(L"vqTransmitters32.dll", "DllUnregisterServer"));
    EXPECT_EQ(L"<missing>", ReadKey(clsid + L"\\InprocServer32"));
    EXPECT_EQ(L"<missing>", ReadKey(L"vqTransmitters32.CTxms\\Clsid"));
    CLSID found{};
    EXPECT_NE(S_OK, CLSIDFromProgID(L"vqTransmitters32.CTxms", &found));
    EXPECT_NE(S_OK, LoadRegTypeLib(LIBID_vqTransmitters32, 1, 0, LOCALE_NEUTRAL, registered.Put()));

    ASSERT_EQ(S_OK, CallExport(L"vqTransmitters32.dll", "DllRegisterServer"));
    EXPECT_TRUE(NewTxms());
}

}  // namespace
}  // namespace vqtest
