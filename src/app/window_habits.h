#pragma once

#include "core/settings_record.h"

class QWidget;

namespace trgui::app {

// Sizes and places window as the settings keep it ([FENSTER]), bounded to
// the screen it comes back on; at the start size (860 x 600, bounded too)
// the first time. A copy started while another runs opens kSecondCopyOffset
// right and down of where the first opened.
void restoreWindowPlace(QWidget& window, const core::SettingsRecord& settings, bool firstCopy);

// Notes window's place, whether it is maximised and page (the tab shown) in
// settings, for the next start.
void keepWindowPlace(const QWidget& window, int page, core::SettingsRecord& settings);

} // namespace trgui::app
