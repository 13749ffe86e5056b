// Measures a late-bound Item by key (IDispatch::Invoke of DISPID 0 with a by-reference key, as a
// Visual Basic host calls it) on a CTxms holding 10 000 transmitters of the simulated product,
// and the floor of that path, a late-bound Count. Not a test: prints the times per call. Run
// under Wine, for both builds, by scripts/bench-windows.sh.
#include <chrono>
#include <cstdio>

#include "Host.h"
#include "vqTransmitters32.h"

using namespace vqtest;

namespace {

constexpr int kTransmitters = 10000;
constexpr int kCalls = 200000;

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Adds the transmitters early-bound, keyed Txm0 .. Txm9999; false when one is refused.
bool Fill(IDispatch* txms) {
    const ComPtr<_CTxms> early = ComPtr<IDispatch>(txms).As<_CTxms>();
    LONG protocol = 1;
    SHORT port = 1;
    VARIANT_BOOL autoConnect = VARIANT_FALSE, silent = VARIANT_TRUE;
    Bstr settings("4800,n,8,1");
    for (int i = 0; i < kTransmitters; ++i) {
        Variant key = Str("Txm" + std::to_string(i));
        LONG type = 1 + i % 3;
        SHORT address = static_cast<SHORT>(i % 1000);
        Bstr name("Transmitter " + std::to_string(i));
        ComPtr<IDispatch> added;
        early->Add(&key.Raw(), &type, &address, &port, settings.InOut(), &protocol, name.InOut(),
                   &autoConnect, &silent, added.Put());
        if (!added) return false;
    }
    return true;
}

// Seconds for kCalls late-bound calls of a member through IDispatch::Invoke, each with the
// by-reference argument `argument` gives for the call number (none when it gives nullptr), each
// answered with a value of type `answer`; < 0 on failure.
template <class Argument>
double TimeLateBound(IDispatch* txms, const wchar_t* member, VARTYPE answer, Argument argument) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(member)};
    if (FAILED(txms->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return -1;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kCalls; ++i) {
        VARIANT ref;
        VARIANT* const value = argument(i);
        V_VT(&ref) = VT_VARIANT | VT_BYREF;
        V_VARIANTREF(&ref) = value;
        DISPPARAMS params{value ? &ref : nullptr, nullptr, value ? 1u : 0u, 0};
        Variant result;
        if (FAILED(txms->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT,
                                DISPATCH_PROPERTYGET | DISPATCH_METHOD, &params, &result, nullptr,
                                nullptr)) ||
            V_VT(&result.Raw()) != answer)
            return -1;
    }
    return SecondsSince(start);
}

// Item by key (keys in another letter case, spread over the collection) against the floor of
// the same path: Count, the cheapest member, with no argument.
int Measure(IDispatch* txms) {
    std::vector<Variant> keys;
    for (int i = 0; i < 1000; ++i)
        keys.push_back(Str("TXM" + std::to_string((i * 7919) % kTransmitters)));
    const double item = TimeLateBound(txms, L"Item", VT_DISPATCH, [&](int i) {
        return &keys[static_cast<std::size_t>(i % 1000)].Raw();
    });
    const double count =
        TimeLateBound(txms, L"Count", VT_I4, [](int) -> VARIANT* { return nullptr; });
    if (item < 0 || count < 0) return 4;
    std::printf("late-bound Item by key: %.3f us per call (%d calls)\n", item * 1e6 / kCalls,
                kCalls);
    std::printf("late-bound Count (the floor): %.3f us per call (%d calls)\n", count * 1e6 / kCalls,
                kCalls);
    std::printf("Item by key / Count: %.2f\n", item / count);
    return 0;
}

}  // namespace

int main() {
    if (!StartHostProgram()) return 2;
    int status = 0;
    {
        const ComPtr<IDispatch> world = World();
        const ComPtr<IDispatch> txms = NewTxms();
        const auto fillStart = std::chrono::steady_clock::now();
        if (InitializeTxms(txms.Get(), world.Get()) != 3 || !Fill(txms.Get())) {
            status = 3;
        } else {
            std::printf("filled %d transmitters in %.2f s\n", kTransmitters,
                        SecondsSince(fillStart));
            status = Measure(txms.Get());
        }
    }
    CoUninitialize();
    return status;
}
