#include "widgets/report_pdf.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

namespace trgui::widgets {

bool writeHtmlPdf(const QString& html, const QString& path, QString* why)
{
    // The PDF writer keeps its reasons to itself: the file is opened here
    // first, so that the system can say why it cannot be written.
    {
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly)) {
            if (why)
                *why = probe.errorString();
            return false;
        }
    }
    QPdfWriter writer(path);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                     QPageLayout::Millimeter));
    writer.setResolution(300);
    writer.setCreator(QStringLiteral("TR-GUI"));
    QTextDocument document;
    document.setHtml(html);
    document.print(&writer);
    return true;
}

} // namespace trgui::widgets
