#pragma once
// The module functions that open the component's two modal windows. Each call works on a
// fresh window: create, install, show modally, read the result, mark it for closing, unload.
//
// A window opener installed on the thread takes over the opening (tests of the collection
// use one). Without one, each function opens its window through the thread's window host,
// handing it the thread's window context (product, shared service, texts, screen, untitled
// counter).

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

/// Opens the add/edit transmitter dialog on a transmitter of the collection (editMode -1 =
/// edit, else add) and returns its result: true when the user confirmed. Without an opener on
/// the thread: a fresh dialog is installed and shown modally through the thread's window host,
/// then unloaded; false without showing anything when the transmitter or the collection is
/// missing. Failures of the window (or a missing window host) reach the caller.
VbBool ShowTxmDialog(const TransmitterRef& txm, TransmitterCollection* txms, VbBool editMode);
/// Opens the transmitter list window on the collection and returns its result: the row the
/// user chose, or -1. Without an opener on the thread: a fresh window is installed (its
/// result ignored, so a missing collection shows an empty window) and shown modally through
/// the thread's window host, then unloaded. Failures of the window (or a missing window host)
/// reach the caller.
int16_t ShowTxmsDialog(TransmitterCollection* txms);

}  // namespace vq
