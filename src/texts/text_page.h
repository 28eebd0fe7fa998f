#pragma once

#include <QString>

#include <map>

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

// The texts of a page gathered into a map by control id instead of onto its
// controls: what a window-free reader (a report, the command line) needs of
// a page's captions. Only ids already in the map take a text, so the map
// starts with the built-in captions; a file that cannot be read leaves them
// and tells nobody (the page itself tells that).
class CaptionMap : public TextPage {
public:
    explicit CaptionMap(std::map<int, QString>& captions) : captions_(captions) {}
    bool hasControl(int id) const override { return captions_.count(id) != 0; }
    void setControlText(int id, const QString& text) override { captions_[id] = text; }
    void setControlToolTip(int, const QString&) override {}
    void setControlVisible(int, bool) override {}
    void setControlEnabled(int, bool) override {}
    void showMessageBox(const QString&, const QString&) override {}

private:
    std::map<int, QString>& captions_;
};

} // namespace trgui::texts
