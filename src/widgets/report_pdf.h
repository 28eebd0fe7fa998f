#pragma once

#include <QString>

namespace trgui::widgets {

// Writes html as an A4 PDF to path (several pages when it needs them).
// False when the file cannot be written; why then holds the system's reason.
bool writeHtmlPdf(const QString& html, const QString& path, QString* why = nullptr);

} // namespace trgui::widgets
