#include "Toolbar.h"

#include <algorithm>
#include <utility>

#include "support/Failure.h"

namespace vq::ui {

Toolbar::Toolbar(Form& form, std::string name, int16_t index, Control* container, Bounds bounds)
    : Control(form, ControlKind::Toolbar, std::move(name), index, container, bounds, -1) {}

void Toolbar::AddTool(const std::string& id, const std::string& category,
                      const std::string& description) {
    const bool taken = std::any_of(m_Tools.begin(), m_Tools.end(),
                                   [&](const Tool& tool) { return tool.Id == id; });
    if (id.empty() || taken)
        throw Failure(kInvalidPropertyValue,
                      "Invalid property value: tool id \"" + id + "\" for " + DisplayName());
    m_Tools.push_back({.Id = id, .Description = description, .Category = category});
    m_OnToolChanged.Raise(static_cast<int32_t>(m_Tools.size()));
}

void Toolbar::AddSeparator() {
    m_Tools.push_back({.Separator = true});
    m_OnToolChanged.Raise(static_cast<int32_t>(m_Tools.size()));
}

const Tool& Toolbar::FindTool(const std::string& id) const {
    const auto it = std::find_if(m_Tools.begin(), m_Tools.end(),
                                 [&](const Tool& tool) { return !id.empty() && tool.Id == id; });
    if (it == m_Tools.end())
        throw Failure(kInvalidPropertyValue,
                      "Invalid property value: " + DisplayName() + " has no tool \"" + id + "\"");
    return *it;
}

Tool& Toolbar::Find(const std::string& id) {
    return const_cast<Tool&>(std::as_const(*this).FindTool(id));
}

int32_t Toolbar::PositionOf(const Tool& tool) const {
    return static_cast<int32_t>(&tool - m_Tools.data()) + 1;
}

void Toolbar::SetToolCaption(const std::string& id, const std::string& caption) {
    Tool& tool = Find(id);
    if (tool.Caption == caption) return;
    tool.Caption = caption;
    m_OnToolChanged.Raise(PositionOf(tool));
}

void Toolbar::SetToolEnabled(const std::string& id, bool enabled) {
    Tool& tool = Find(id);
    if (tool.Enabled == enabled) return;
    tool.Enabled = enabled;
    m_OnToolChanged.Raise(PositionOf(tool));
}

void Toolbar::SetDockedVertically(bool vertical) {
    if (m_DockedVertically == vertical) return;
    m_DockedVertically = vertical;
    NotifyChanged();
}

void Toolbar::SetMeasuredVerticalWidth(int32_t pixels) {
    if (m_VerticalWidth == pixels) return;
    m_VerticalWidth = pixels;
    NotifyChanged();
}

void Toolbar::ClickTool(const std::string& id) {
    const Tool& tool = FindTool(id);
    if (!tool.Enabled || tool.Separator) return;
    // A handler may change the tools; the tool is handed over as it was clicked.
    const Tool clicked = tool;
    m_OnToolClick.Raise(clicked);
}

}  // namespace vq::ui
