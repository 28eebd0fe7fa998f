#pragma once

namespace trgui::widgets {

// Qt's own texts (file dialogs, Yes/No/Cancel) in the program's language:
// 0 German, 1 English, 2 French. Replaces the texts of an earlier call.
// Returns false when the system has no Qt translation for the language
// (Qt's English texts stay then).
bool useQtTexts(int language);

} // namespace trgui::widgets
