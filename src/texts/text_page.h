#pragma once

#include <QString>

namespace trgui::texts {

// What loading texts and applying availability needs of a page: its controls
// addressed by id, and a modal message box. Pages implement it over their
// widgets; tests implement it over a map.
class TextPage {
public:
    virtual ~TextPage() = default;

    virtual bool hasControl(int id) const = 0;
    virtual void setControlText(int id, const QString& text) = 0;
    // Replaces the control's tooltip. Line breaks arrive as "\n".
    virtual void setControlToolTip(int id, const QString& text) = 0;
    virtual void setControlVisible(int id, bool visible) = 0;
    virtual void setControlEnabled(int id, bool enabled) = 0;
    // A modal box with an OK button and no icon.
    virtual void showMessageBox(const QString& caption, const QString& text) = 0;
};

} // namespace trgui::texts
