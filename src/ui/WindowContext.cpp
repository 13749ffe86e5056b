#include "WindowContext.h"

#include "support/Failure.h"
#include "support/Texts.h"
#include "support/ThreadContext.h"

namespace vq::ui {

WindowContext::WindowContext(std::shared_ptr<ProductFactory> product,
                             std::shared_ptr<SharedService> service, ui::Screen screen,
                             int32_t* untitledCounter, std::shared_ptr<vq::Platform> platform)
    : m_Product(std::move(product)),
      m_Service(std::move(service)),
      m_Screen(screen),
      m_UntitledCounter(untitledCounter),
      m_Platform(std::move(platform)) {}

WindowContext WindowContext::OfThisThread() {
    std::shared_ptr<ProductFactory> product = ThisThread().Product;
    return WindowContext(product, vq::Service(), Screen::OfThisThread(),
                         &ThisThread().UntitledCounter, ThisThread().Platform);
}

ProductFactory& WindowContext::Product() const {
    if (!m_Product)
        throw Failure(Codes::CannotCreateObject, "The window was given no host product");
    return *m_Product;
}

SharedService& WindowContext::Service() const {
    if (!m_Service) throw Failure(Codes::ObjectRequired, "The window was given no shared service");
    return *m_Service;
}

vq::Platform& WindowContext::Platform() const {
    if (!m_Platform)
        throw Failure(Codes::ObjectRequired,
                      "The window was given no platform to reach files with");
    return *m_Platform;
}

std::string WindowContext::GetText(int16_t id) const {
    return vq::GetText(id, m_Service.get());
}

std::string WindowContext::GetEnglishText(int16_t id) const {
    return vq::GetText(id, static_cast<LanguageObject*>(nullptr));
}

int32_t& WindowContext::UntitledCounter() const {
    if (m_UntitledCounter == nullptr)
        throw Failure(Codes::ObjectRequired, "The window was given no untitled-name counter");
    return *m_UntitledCounter;
}

}  // namespace vq::ui
