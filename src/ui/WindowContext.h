#pragma once
// What a window is handed by whoever opens it: the host product's factory, the shared service,
// the text lookup, the screen, the untitled-name counter and the platform (files, clock, programs,
// message pump). A presenter reaches these only through its context, never through the thread's
// module data, so the opener decides what the window works with (the module functions that open
// the windows build the context from the thread's; a test may build one from anything). The
// add/edit dialog and the list window are both built this way.

#include <cstdint>
#include <memory>
#include <string>

#include "Screen.h"
#include "support/Platform.h"
#include "support/Product.h"

namespace vq::ui {

class WindowContext {
  public:
    /// untitledCounter is the counter behind the collection's GetNextTxmName (it must outlive
    /// the context); null when the window needs none.
    WindowContext(std::shared_ptr<ProductFactory> product, std::shared_ptr<SharedService> service,
                  ui::Screen screen, int32_t* untitledCounter = nullptr,
                  std::shared_ptr<vq::Platform> platform = nullptr);
    /// The context of this thread: its product factory, its shared service, its screen, its
    /// untitled-name counter and its platform.
    /// Throws Failure when the thread has no product factory or the factory no shared service.
    static WindowContext OfThisThread();

    /// Throws Failure when the context was made without one.
    ProductFactory& Product() const;
    /// Throws Failure when the context was made without one.
    SharedService& Service() const;
    /// The text with an English id in the language of the shared service's language object,
    /// asked on every call; English when that language lacks it or cannot be had. Never throws.
    std::string GetText(int16_t id) const;
    /// The English text under an id, whatever the current language. Never throws.
    std::string GetEnglishText(int16_t id) const;
    const ui::Screen& Screen() const { return m_Screen; }
    /// The untitled-name counter, which a window lowers to give a name back. Throws Failure
    /// when the context was made without one.
    int32_t& UntitledCounter() const;
    /// Throws Failure when the context was made without one.
    vq::Platform& Platform() const;

  private:
    std::shared_ptr<ProductFactory> m_Product;
    std::shared_ptr<SharedService> m_Service;
    ui::Screen m_Screen;
    int32_t* m_UntitledCounter;
    std::shared_ptr<vq::Platform> m_Platform;
};

}  // namespace vq::ui
