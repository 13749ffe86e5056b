#pragma once
// The exception barrier of every COM entry point: no C++ exception crosses the boundary.
//
// A Failure becomes its own (failure) HRESULT with the thread's error info set to source
// "vqTransmitters32" and the Failure's description, so that ITypeInfo::Invoke reports
// DISP_E_EXCEPTION with that EXCEPINFO to late-bound callers and early-bound callers find the
// description through GetErrorInfo. Other exceptions map to the nearest precise HRESULT:
// std::bad_alloc to E_OUTOFMEMORY, std::invalid_argument to E_INVALIDARG, std::out_of_range
// to DISP_E_BADINDEX, any other std::exception to E_FAIL (with its text), anything else to
// E_UNEXPECTED.

#include "win32/com/Com.h"

namespace vq::win32 {

/// Turns the exception being handled into an HRESULT as described above. Call only inside a
/// catch block.
HRESULT HandleException(REFIID iid) noexcept;

/// Sets the thread's error info (source "vqTransmitters32") for iid.
void SetError(REFIID iid, const std::string& description) noexcept;

/// Runs body (returning void) behind the barrier; S_OK when it returns normally.
template <class Body>
HRESULT Barrier(REFIID iid, Body&& body) noexcept {
    try {
        body();
        return S_OK;
    } catch (...) {
        return HandleException(iid);
    }
}

/// Checks an out-pointer; throws Failure with E_POINTER when it is null.
void RequireOut(const void* pointer, const char* name);

}  // namespace vq::win32
