#pragma once
// Module-level data of the component. It exists once per thread, as in the host's
// single-threaded apartments: the host product's factory (and through it the shared service)
// and the untitled-name counter. Module facts that do not depend on the thread (file name,
// version, comments) are process-wide.

#include <cstdint>
#include <memory>
#include <string>

#include "Product.h"

namespace vq {

struct ThreadContext {
    std::shared_ptr<ProductFactory> Product;
    /// Counter behind GetNextTxmName; starts at 0 when the component is loaded.
    int32_t UntitledCounter = 0;
};

/// This thread's module data.
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
