#pragma once
// What one thread of the host has. The host calls the component from single-threaded
// apartments, so the component's module-level data exists once per thread: the host product's
// factory (and through it the shared service), the untitled-name counter, the window opener,
// the window host and the application's mouse pointer. ThreadContext holds all of it, so that
// what a thread has can be read in one place.
//
// The context lives in support/, below the layers whose objects it holds, and includes none of
// their headers: the window opener (collection/) and the window host (ui/) are only declared
// here and held through shared_ptr, which holds and releases an object of a type it does not
// see defined. The layers that define those interfaces offer the typed installers
// (SetWindowOpener, ScopedWindowHost). The mouse pointer is plain data here (its number and
// its change signal); ui::Screen gives it its meaning.
//
// Module facts that do not depend on the thread (file name, version, comments) are
// process-wide.

#include <cstdint>
#include <memory>
#include <string>

#include "Product.h"
#include "Signal.h"

namespace vq {

class Platform;
class WindowOpener;
namespace ui {
class WindowHost;
}

/// The application's mouse pointer on one thread: its number (0 the default) and the signal
/// raised with the new number whenever it changes.
struct MousePointerState {
    int16_t Pointer = 0;
    Signal<int16_t> Changed;
};

struct ThreadContext {
    std::shared_ptr<ProductFactory> Product;
    /// Counter behind GetNextTxmName; starts at 0 when the component is loaded.
    int32_t UntitledCounter = 0;
    /// Takes over the opening of the windows when set (tests of the collection use one).
    std::shared_ptr<WindowOpener> Opener;
    /// Shows the forms modally: the scripted host natively, the Win32 binder on Windows.
    std::shared_ptr<ui::WindowHost> WindowHost;
    MousePointerState MousePointer;
    /// Files, clock, program start, user name and message pump of this thread's platform.
    std::shared_ptr<vq::Platform> Platform;

    /// Counts the untitled-name counter up by one and returns it. The counter is a 32-bit
    /// number: at 2^31 - 1 it cannot go on, and the call throws the overflow Failure and keeps
    /// the counter where it was.
    int32_t NextUntitledNumber();
};

/// This thread's context.
ThreadContext& ThisThread();

/// This thread's product factory; throws Failure when none has been installed.
ProductFactory& Product();

/// The per-thread shared service (Product().Service()); throws Failure when there is none.
std::shared_ptr<SharedService> Service();

/// Installs a product factory for this thread for the lifetime of the object, restoring the
/// previous one (and the untitled counter) afterwards. Used by hosts of the core and by tests.
class ScopedProduct {
  public:
    explicit ScopedProduct(std::shared_ptr<ProductFactory> product);
    ~ScopedProduct();
    ScopedProduct(const ScopedProduct&) = delete;
    ScopedProduct& operator=(const ScopedProduct&) = delete;

  private:
    std::shared_ptr<ProductFactory> m_Previous;
    int32_t m_PreviousCounter;
};

/// The component's own file and version data, as its version resource holds them.
struct ModuleInfo {
    std::string FileTitle;  // file name without extension
    int32_t Major = 0;
    int32_t Minor = 0;
    int32_t Revision = 0;  // the fourth part of the file version
    std::string Comments;
};

/// The module data; by default the values this build was made with.
const ModuleInfo& Module();
/// Replaces the module data (the Windows shell reads them from its version resource).
void SetModule(ModuleInfo info);

}  // namespace vq
