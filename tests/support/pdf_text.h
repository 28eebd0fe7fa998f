#pragma once

#include <QString>
#include <QStringList>

namespace trgui::testing {

// A PDF's text as pdftotext reads it (with options such as -layout or -bbox),
// or empty when it cannot be read. A suite built for Windows runs under Wine
// and asks the Linux pdftotext through Wine.
QString pdfText(const QString& pdf, const QStringList& options = {});

} // namespace trgui::testing
