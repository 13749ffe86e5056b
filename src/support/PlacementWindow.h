#pragma once
// A window as the shared service sees it when it stores and restores placements. The form
// model implements it; the shared service reads and sets it.

#include <cstdint>

namespace vq {

/// A window whose placement the shared service stores and restores (positions in twips).
class PlacementWindow {
  public:
    virtual ~PlacementWindow() = default;
    virtual int32_t Left() = 0;
    virtual int32_t Top() = 0;
    virtual int32_t Width() = 0;
    virtual int32_t Height() = 0;
    /// 0 normal, 1 minimised, 2 maximised.
    virtual int32_t WindowState() = 0;
    virtual void SetLeft(int32_t twips) = 0;
    virtual void SetTop(int32_t twips) = 0;
    virtual void SetWidth(int32_t twips) = 0;
    virtual void SetHeight(int32_t twips) = 0;
    virtual void SetWindowState(int32_t state) = 0;
    virtual int64_t WindowHandle() = 0;
};

}  // namespace vq
