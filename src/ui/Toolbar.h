#pragma once
// A toolbar: tools in order, each found by its id, with a caption, a description (its tip), a
// category and an enabled state, and separators between groups. The user's click on a tool
// raises ToolClick with the tool. Docked vertically, the toolbar reports its width in pixels,
// so that the window can size the box that holds it.
//
// Every change raises ToolChanged with the tool's 1-based position, the signal a binder of a
// real toolbar repeats; Changed (of every control) covers docking and the measured width.

#include <cstdint>
#include <string>
#include <vector>

#include "Control.h"

namespace vq::ui {

struct Tool {
    /// "" for a separator.
    std::string Id;
    std::string Caption;
    /// The tip; part of the tool's definition.
    std::string Description;
    std::string Category;
    bool Enabled = true;
    bool Separator = false;
};

class Toolbar : public Control {
  public:
    /// The width of a vertical toolbar until a binder measures the real one: a column of
    /// buttons of the common size (24 pixels) inside the bar's borders (2 pixels each side).
    static constexpr int32_t kEstimatedVerticalWidth = 28;

    Toolbar(Form& form, std::string name, int16_t index, Control* container, Bounds bounds = {});

    /// Appends a tool; throws Failure for an empty id or one already used.
    void AddTool(const std::string& id, const std::string& category,
                 const std::string& description = "");
    void AddSeparator();
    const std::vector<Tool>& Tools() const { return m_Tools; }
    /// Throws Failure when no tool has the id (compared exactly).
    const Tool& FindTool(const std::string& id) const;
    void SetToolCaption(const std::string& id, const std::string& caption);
    void SetToolEnabled(const std::string& id, bool enabled);

    bool DockedVertically() const { return m_DockedVertically; }
    void SetDockedVertically(bool vertical);
    /// The width in pixels of the toolbar docked vertically.
    int32_t VerticalWidth() const { return m_VerticalWidth; }
    /// What a binder measured on the real toolbar.
    void SetMeasuredVerticalWidth(int32_t pixels);

    /// The user's click on a tool: raises ToolClick unless the tool is disabled or a
    /// separator. Throws Failure when no tool has the id.
    void ClickTool(const std::string& id);

    Signal<const Tool&>& OnToolClick() { return m_OnToolClick; }
    /// Raised with the 1-based position of a tool added or changed.
    Signal<int32_t>& OnToolChanged() { return m_OnToolChanged; }

  private:
    Tool& Find(const std::string& id);
    int32_t PositionOf(const Tool& tool) const;

    std::vector<Tool> m_Tools;
    bool m_DockedVertically = false;
    int32_t m_VerticalWidth = kEstimatedVerticalWidth;
    Signal<const Tool&> m_OnToolClick;
    Signal<int32_t> m_OnToolChanged;
};

/// A picture box used as a container: a box with bounds that holds other controls.
class PictureBox : public Control {
  public:
    PictureBox(Form& form, std::string name, int16_t index, Control* container, Bounds bounds)
        : Control(form, ControlKind::PictureBox, std::move(name), index, container, bounds, -1) {}
};

}  // namespace vq::ui
