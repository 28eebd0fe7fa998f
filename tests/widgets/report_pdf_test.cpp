#include "core/service_report.h"
#include "widgets/report_pdf.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFile>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextBoundaryFinder>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include <gtest/gtest.h>

#include <cmath>

using namespace trgui;

namespace {

// A report long enough for several pages: 40 configuration rows, with the
// long words of German field names and values.
core::ReportData longReport(int rowCount = 40)
{
    core::ReportData data;
    data.program = QStringLiteral("TR-GUI 1.0");
    data.at = QDateTime(QDate(2026, 12, 8), QTime(14, 2, 15));
    data.number = core::reportNumber(data.at, QStringLiteral("FT-101"));
    data.deviceAnswering = true;
    data.model = QStringLiteral("KM210-DR-E1S2H1");
    const core::ReportRow rows[] = {
        {QStringLiteral("Displaybeleuchtung"), QStringLiteral("ein"), {}, QStringLiteral("aus"), {}, true},
        {QStringLiteral("Anzeige Zeile 1"), QStringLiteral("Strömungsgeschwindigkeit"), {},
         QStringLiteral("Volumenstrom"), {}, true},
        {QStringLiteral("Multiplikationsfaktor"), QStringLiteral("1.000"), {}, QStringLiteral("1.000"), {}, false},
        {QStringLiteral("Grenzkontakt-Zuordnung"), QStringLiteral("Strömungsgeschwindigkeit"), QStringLiteral("m³/h"),
         QStringLiteral("Strömungsgeschwindigkeit"), QStringLiteral("Kubikmeter/Stunde"), true},
    };
    for (int i = 0; i < rowCount; ++i)
        data.configuration.push_back(rows[i % 4]);
    return data;
}

int pageOf(qreal y, qreal pageHeight)
{
    return static_cast<int>(std::floor(y / pageHeight));
}

// The page a block's first line is on.
int pageOf(const QTextBlock& block, const QTextDocument& document)
{
    const QTextLine line = block.layout()->lineAt(0);
    return pageOf(document.documentLayout()->blockBoundingRect(block).top() + line.y() + line.height() - 1,
                  document.pageSize().height());
}

} // namespace

// Every page tells whose report it is and which page of how many; the
// configuration table's heading comes again on the page it goes on to; no
// word is broken inside, no table is wider than the page.
TEST(ServiceReportPdf, aLongReportRepeatsTableHeadingsAndNumbersItsPages)
{
    const std::pair<int, const char*> languages[] = {{0, "Seite 2 von "}, {2, "Page 2 sur "}};
    for (const auto& [language, pageTwo] : languages) {
        QBuffer pdf;
        pdf.open(QIODevice::WriteOnly);
        QPdfWriter writer(&pdf);
        widgets::useReportPageLayout(writer);
        widgets::PagedHtml pages(core::serviceReportHtml(longReport(), language), writer);
        ASSERT_GE(pages.pageCount(), 2);
        EXPECT_EQ(pages.footer(2), QString::fromUtf8(pageTwo) + QString::number(pages.pageCount()));
        EXPECT_TRUE(pages.header().contains(QStringLiteral("KM210-DR-E1S2H1")));
        EXPECT_TRUE(pages.header().contains(QStringLiteral("20261208-140215-FT-101")));

        const QTextDocument& document = pages.document();
        const qreal pageHeight = document.pageSize().height();
        const auto tables = document.rootFrame()->childFrames();
        auto* configuration = qobject_cast<QTextTable*>(tables.value(1));
        ASSERT_NE(configuration, nullptr);
        EXPECT_EQ(configuration->format().headerRowCount(), 1);
        const QRectF box = document.documentLayout()->frameBoundingRect(configuration);
        EXPECT_LT(pageOf(box.top(), pageHeight), pageOf(box.bottom(), pageHeight)) << "the table goes on to page 2";
        for (QTextFrame* table : tables)
            EXPECT_LE(document.documentLayout()->frameBoundingRect(table).width(), document.pageSize().width() + 0.5);

        // Each line ends where a line may end: between words.
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            const QTextLayout* layout = block.layout();
            QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, block.text());
            for (int i = 0; i + 1 < layout->lineCount(); ++i) {
                const QTextLine line = layout->lineAt(i);
                breaks.setPosition(line.textStart() + line.textLength());
                EXPECT_TRUE(breaks.isAtBoundary()) << block.text().toStdString() << " broken after "
                                                   << block.text().left(breaks.position()).toStdString();
            }
        }
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    ASSERT_TRUE(widgets::writeHtmlPdf(core::serviceReportHtml(longReport(), 1), path));
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.read(5), "%PDF-");
}

// Wherever the page ends, the signature block is not parted and no heading
// stays behind at the bottom of a page.
TEST(ServiceReportPdf, signaturesStayTogetherAndHeadingsWithWhatFollows)
{
    for (int rows = 20; rows <= 32; ++rows) {
        QBuffer pdf;
        pdf.open(QIODevice::WriteOnly);
        QPdfWriter writer(&pdf);
        widgets::useReportPageLayout(writer);
        widgets::PagedHtml pages(core::serviceReportHtml(longReport(rows), 0), writer);
        const QTextDocument& document = pages.document();
        const qreal pageHeight = document.pageSize().height();
        const QAbstractTextDocumentLayout* layout = document.documentLayout();
        auto* signatures = qobject_cast<QTextTable*>(document.rootFrame()->childFrames().back());
        EXPECT_EQ(pageOf(signatures->cellAt(0, 0).firstCursorPosition().block(), document),
                  pageOf(layout->frameBoundingRect(signatures).bottom() - 1, pageHeight)) << rows;
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            if (block.blockFormat().headingLevel() > 0 && block.next().isValid()) {
                EXPECT_EQ(pageOf(block, document), pageOf(block.next(), document))
                    << rows << " " << block.text().toStdString();
            }
        }
    }
}
