#pragma once
// Every member of the component's own objects (CTxms, Servers, the placement window) runs
// through Entry: behind the exception barrier, with one trace line when tracing is on, as a
// call into the component (which ends idle event subscriptions when it is the outermost).

#include "win32/com/Barrier.h"
#include "win32/host/Outside.h"

namespace vq::win32 {

/// Runs body as the member that trace describes; result is the member's out-parameter
/// (nullptr for none). Returns the member's HRESULT.
template <class Result, class Body>
HRESULT Entry(REFIID iid, const EntryTrace& trace, Result result, Body&& body) noexcept {
    const ComponentCall call;
    return TracedBarrier(iid, trace, result, std::forward<Body>(body));
}

}  // namespace vq::win32
