// The identities hosts bind to, read back from the DLL's embedded type library, and the
// registration that DllRegisterServer writes and DllUnregisterServer removes.
#include <algorithm>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <tuple>

#include "Host.h"
#include "vqTransmitters32.h"

namespace vqtest {
namespace {

ComPtr<ITypeLib> OwnLibrary() {
    ComPtr<ITypeLib> library;
    EXPECT_EQ(S_OK, LoadTypeLibEx((ProgramFolder() + L"vqTransmitters32.dll").c_str(), REGKIND_NONE,
                                  library.Put()));
    return library;
}

ComPtr<ITypeInfo> TypeOf(REFGUID guid, TYPEKIND kind, WORD flags = 0) {
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(S_OK, OwnLibrary()->GetTypeInfoOfGuid(guid, info.Put()));
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    EXPECT_EQ(kind, attr->typekind);
    EXPECT_EQ(flags, attr->wTypeFlags & flags);
    info->ReleaseTypeAttr(attr);
    return info;
}

std::string Name(ITypeInfo* info, MEMBERID id, bool documentation = false) {
    Bstr name, doc;
    info->GetDocumentation(id, &name, &doc, nullptr, nullptr);
    return documentation ? doc.Text() : name.Text();
}

// The function descriptions of a type (released with this object).
class Functions {
  public:
    explicit Functions(ComPtr<ITypeInfo> info) : m_Info(std::move(info)) {
        FUNCDESC* f = nullptr;
        for (UINT i = 0; SUCCEEDED(m_Info->GetFuncDesc(i, &f)); ++i) m_All.push_back(f);
    }
    ~Functions() {
        for (FUNCDESC* f : m_All) m_Info->ReleaseFuncDesc(f);
    }
    const FUNCDESC& Of(MEMBERID id, INVOKEKIND kind = INVOKE_FUNC) const {
        for (const FUNCDESC* f : m_All)
            if (f->memid == id && f->invkind == kind) return *f;
        throw std::out_of_range("no such member");
    }
    // "Name id kind|..." in vtable order: the dispatch id in hexadecimal, the kind f(unction),
    // g(et) or p(ut).
    std::string InVtableOrder() const {
        std::vector<const FUNCDESC*> sorted(m_All.begin(), m_All.end());
        std::sort(sorted.begin(), sorted.end(), [](auto a, auto b) { return a->oVft < b->oVft; });
        std::string members;
        for (const FUNCDESC* f : sorted) {
            char id[40];
            std::snprintf(id, sizeof id, " %lx %c|", static_cast<unsigned long>(f->memid),
                          f->invkind == INVOKE_FUNC          ? 'f'
                          : f->invkind == INVOKE_PROPERTYGET ? 'g'
                                                             : 'p');
            members += Name(m_Info.Get(), f->memid) + id;
        }
        return members;
    }

  private:
    ComPtr<ITypeInfo> m_Info;
    std::vector<FUNCDESC*> m_All;
};

TEST(TypeLibrary, IdentitiesHelpstringsAndClass) {
    TLIBATTR* attr = nullptr;
    const ComPtr<ITypeLib> library = OwnLibrary();
    ASSERT_EQ(S_OK, library->GetLibAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(attr->guid, LIBID_vqTransmitters32));
    EXPECT_EQ(1, attr->wMajorVerNum);
    EXPECT_EQ(0, attr->wMinorVerNum);
    library->ReleaseTLibAttr(attr);
    Bstr doc;
    library->GetDocumentation(-1, nullptr, &doc, nullptr, nullptr);
    EXPECT_EQ("Halvik Transmitters Type Library for Vistrel", doc.Text());

    const ComPtr<ITypeInfo> coclass = TypeOf(CLSID_CTxms, TKIND_COCLASS);
    EXPECT_EQ("Contains the collection of all installed transmitters.",
              Name(coclass.Get(), MEMBERID_NIL, true));
    std::map<int, GUID> byFlags;  // the default interface and the default source
    for (UINT i = 0; i < 2; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> implemented;
        TYPEATTR* a = nullptr;
        coclass->GetImplTypeFlags(i, &flags);
        coclass->GetRefTypeOfImplType(i, &ref);
        ASSERT_EQ(S_OK, coclass->GetRefTypeInfo(ref, implemented.Put()));
        implemented->GetTypeAttr(&a);
        byFlags[flags] = a->guid;
        implemented->ReleaseTypeAttr(a);
    }
    EXPECT_TRUE(IsEqualGUID(byFlags[IMPLTYPEFLAG_FDEFAULT], IID__CTxms));
    EXPECT_TRUE(IsEqualGUID(byFlags[IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE], DIID___CTxms));
}

TEST(TypeLibrary, DefaultInterfaceOrderDispidsAndParameterForms) {
    const ComPtr<ITypeInfo> dispatch = TypeOf(
        IID__CTxms, TKIND_DISPATCH, TYPEFLAG_FDUAL | TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE);
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> info;  // the vtable face of the dual interface
    ASSERT_EQ(S_OK, dispatch->GetRefTypeOfImplType(-1, &ref));
    ASSERT_EQ(S_OK, dispatch->GetRefTypeInfo(ref, info.Put()));
    const Functions d(info);
    const INVOKEKIND F = INVOKE_FUNC, G = INVOKE_PROPERTYGET;
    EXPECT_EQ(
        "Add 60030000 f|ActiveTxm 60030001 f|ActiveTxmIndex 60030002 p|ActiveTxmIndex 60030002 g|"
        "Item 0 g|Count 60030003 g|Remove 60030004 f|NewEnum fffffffc g|Initialize 60030005 f|"
        "Servers 60030006 g|ComponentVersion 60030007 f|ShowWizard 60030008 f|Edit 60030009 f|"
        "Save 6003000a f|Load 6003000b f|GetNextTxmName 6003000c f|IniFilePath 6003000d g|"
        "IniFilePath 6003000d p|OffLine 6003000e g|OffLine 6003000e p|Historian 6003000f g|"
        "Historian 6003000f p|Clear 60030010 f|",
        d.InVtableOrder());
    // Add, Item, Remove and Edit take every parameter by reference.
    for (auto [id, kind, count] :
         {std::tuple{0x60030000, F, 9}, {0, G, 1}, {0x60030004, F, 1}, {0x60030009, F, 1}}) {
        const FUNCDESC& f = d.Of(id, kind);
        for (int p = 0; p < count; ++p)
            EXPECT_EQ(VT_PTR, f.lprgelemdescParam[p].tdesc.vt) << id << " parameter " << p;
    }
    const auto flags = [&](MEMBERID id, int p) {
        return d.Of(id).lprgelemdescParam[p].paramdesc.wParamFlags;
    };
    EXPECT_EQ(
        PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT,  // Add's Silent, Load's AutoConnect
        flags(0x60030000, 8) & flags(0x6003000B, 3) & (PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT));
    EXPECT_TRUE(flags(0x6003000B, 2) & PARAMFLAG_FOPT);  // Load's IndexKey
    EXPECT_EQ(FUNCFLAG_FRESTRICTED | FUNCFLAG_FHIDDEN,
              d.Of(-4, G).wFuncFlags & (FUNCFLAG_FRESTRICTED | FUNCFLAG_FHIDDEN));
}

TEST(TypeLibrary, EventInterface) {
    const Functions d(TypeOf(DIID___CTxms, TKIND_DISPATCH));
    ASSERT_EQ("OnTxmSync 1 f|", d.InVtableOrder());
    ASSERT_EQ(1, d.Of(1).cParams);
    const ELEMDESC& text = d.Of(1).lprgelemdescParam[0];  // [in, out] BSTR*
    EXPECT_EQ(VT_PTR, text.tdesc.vt);
    EXPECT_EQ(VT_BSTR, text.tdesc.lptdesc->vt);
    EXPECT_EQ(PARAMFLAG_FIN | PARAMFLAG_FOUT,
              text.paramdesc.wParamFlags & (PARAMFLAG_FIN | PARAMFLAG_FOUT));
}

TEST(Registration, RegisterAndUnregister) {
    const std::wstring clsid = L"CLSID\\{6F0E20A6-E81B-4426-B721-A3A514AF5FDF}";
    const std::vector<std::tuple<std::wstring, const wchar_t*, std::wstring>> keys = {
        {clsid + L"\\InprocServer32", nullptr, ProgramFolder() + L"vqTransmitters32.dll"},
        {clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {clsid + L"\\ProgID", nullptr, L"vqTransmitters32.CTxms"},
        {clsid + L"\\VersionIndependentProgID", nullptr, L"vqTransmitters32.CTxms"},
        {clsid + L"\\TypeLib", nullptr, L"{9AF6EE27-3045-47DC-B08B-A445EA7C851E}"},
        {clsid + L"\\Version", nullptr, L"1.0"},
        {L"vqTransmitters32.CTxms\\Clsid", nullptr, L"{6F0E20A6-E81B-4426-B721-A3A514AF5FDF}"}};
    ComPtr<ITypeLib> registered;
    for (const bool registering : {true, false, true}) {
        ASSERT_EQ(S_OK, CallExport(L"vqTransmitters32.dll",
                                   registering ? "DllRegisterServer" : "DllUnregisterServer"));
        for (const auto& [path, value, expected] : keys) {
            wchar_t data[1024] = {};
            DWORD size = sizeof data;
            const LONG status = RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), value, RRF_RT_REG_SZ,
                                             nullptr, data, &size);
            EXPECT_EQ(registering, status == ERROR_SUCCESS && _wcsicmp(data, expected.c_str()) == 0)
                << vq::win32::Narrow(path);
        }
        EXPECT_EQ(registering ? S_OK : TYPE_E_LIBNOTREGISTERED,
                  LoadRegTypeLib(LIBID_vqTransmitters32, 1, 0, LOCALE_NEUTRAL, registered.Put()));
    }
    EXPECT_TRUE(NewTxms());
}

}  // namespace
}  // namespace vqtest
