#include "ThreadContext.h"

#include <limits>

#include "BuildInfo.h"
#include "Failure.h"

namespace vq {

ThreadContext& ThisThread() {
    thread_local ThreadContext context;
    return context;
}

int32_t ThreadContext::NextUntitledNumber() {
    if (UntitledCounter == std::numeric_limits<int32_t>::max())
        throw Failure(Codes::Overflow, "Overflow: the untitled-name counter is at its end (" +
                                           std::to_string(UntitledCounter) + ")");
    return ++UntitledCounter;
}

ProductFactory& Product() {
    ProductFactory* product = ThisThread().Product.get();
    if (product == nullptr)
        throw Failure(Codes::CannotCreateObject,
                      "The host product's components are not available on this thread");
    return *product;
}

std::shared_ptr<SharedService> Service() {
    std::shared_ptr<SharedService> service = Product().Service();
    if (!service) throw Failure(Codes::ObjectRequired, "The shared service is not available");
    return service;
}

ScopedProduct::ScopedProduct(std::shared_ptr<ProductFactory> product)
    : m_Previous(std::move(ThisThread().Product)), m_PreviousCounter(ThisThread().UntitledCounter) {
    ThisThread().Product = std::move(product);
    ThisThread().UntitledCounter = 0;
}

ScopedProduct::~ScopedProduct() {
    ThisThread().Product = std::move(m_Previous);
    ThisThread().UntitledCounter = m_PreviousCounter;
}

namespace {
ModuleInfo& ModuleData() {
    static ModuleInfo info{kBuildFileTitle, kBuildVersionMajor, kBuildVersionMinor,
                           kBuildVersionRevision, kBuildComments};
    return info;
}
}  // namespace

const ModuleInfo& Module() {
    return ModuleData();
}

void SetModule(ModuleInfo info) {
    ModuleData() = std::move(info);
}

}  // namespace vq
