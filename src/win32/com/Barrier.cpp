#include "win32/com/Barrier.h"

#include <new>
#include <stdexcept>

#include "support/Failure.h"

namespace vq::win32 {

void SetError(REFIID iid, const std::string& description) noexcept {
    try {
        ComPtr<ICreateErrorInfo> create;
        if (FAILED(CreateErrorInfo(create.Put()))) return;
        create->SetGUID(iid);
        create->SetSource(const_cast<LPOLESTR>(L"vqTransmitters32"));
        const std::wstring text = Widen(description);
        create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
        if (ComPtr<IErrorInfo> info = create.As<IErrorInfo>()) SetErrorInfo(0, info.Get());
    } catch (...) {
    }
}

HRESULT HandleException(REFIID iid) noexcept {
    try {
        throw;
    } catch (const Failure& failure) {
        const HRESULT code = failure.Code() < 0 ? static_cast<HRESULT>(failure.Code()) : E_FAIL;
        SetError(iid, failure.Description());
        return code;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::invalid_argument& e) {
        SetError(iid, e.what());
        return E_INVALIDARG;
    } catch (const std::out_of_range& e) {
        SetError(iid, e.what());
        return DISP_E_BADINDEX;
    } catch (const std::exception& e) {
        SetError(iid, e.what());
        return E_FAIL;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

void RequireOut(const void* pointer, const char* name) {
    if (pointer == nullptr)
        throw Failure(static_cast<int32_t>(E_POINTER),
                      std::string("Invalid pointer: no place was given for ") + name);
}

}  // namespace vq::win32
