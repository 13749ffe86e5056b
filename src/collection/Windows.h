#pragma once
// The module functions that open the component's two modal windows. Each call works on a
// fresh window: create, install, show modally, read the result, mark it for closing, unload.
// How a window is made and shown is the business of the thread's window opener.

#include <cstdint>
#include <memory>

#include "support/Collection.h"
#include "support/Product.h"
#include "support/VbBool.h"

namespace vq {

class WindowOpener {
public:
    virtual ~WindowOpener() = default;
    /// Opens the add/edit transmitter dialog; its result (true when the user confirmed).
    virtual VbBool ShowTxmDialog(const TransmitterRef& txm, TransmitterCollection* txms,
                                 VbBool editMode) = 0;
    /// Opens the transmitter list window; its result (the chosen row or -1).
    virtual int16_t ShowTxmsDialog(TransmitterCollection* txms) = 0;
};

/// Installs this thread's window opener (null removes it) and returns the previous one.
std::shared_ptr<WindowOpener> SetWindowOpener(std::shared_ptr<WindowOpener> opener);

/// Open the windows through this thread's opener; throw Failure when there is none.
VbBool ShowTxmDialog(const TransmitterRef& txm, TransmitterCollection* txms, VbBool editMode);
int16_t ShowTxmsDialog(TransmitterCollection* txms);

}  // namespace vq
