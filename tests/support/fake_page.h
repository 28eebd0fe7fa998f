#pragma once

#include "texts/text_page.h"

#include <QString>

#include <map>
#include <set>
#include <utility>
#include <vector>

namespace trgui::testing {

// A page made of a map: records every text, tooltip, visibility, enabled
// state and message box.
class FakePage : public texts::TextPage {
public:
    struct Control {
        QString text;
        QString toolTip;
        bool visible = true;
        bool enabled = true;
    };

    explicit FakePage(std::set<int> ids = {})
    {
        for (int id : ids)
            controls[id] = Control{};
    }

    bool hasControl(int id) const override { return controls.count(id) != 0; }
    void setControlText(int id, const QString& text) override { controls.at(id).text = text; }
    void setControlToolTip(int id, const QString& text) override { controls.at(id).toolTip = text; }
    void setControlVisible(int id, bool visible) override { controls.at(id).visible = visible; }
    void setControlEnabled(int id, bool enabled) override { controls.at(id).enabled = enabled; }
    void showMessageBox(const QString& caption, const QString& text) override { boxes.emplace_back(caption, text); }

    std::map<int, Control> controls;
    std::vector<std::pair<QString, QString>> boxes;  // caption, text
};

} // namespace trgui::testing
