#pragma once

#include "platform/platform.h"

#include <QString>
#include <QTextDocument>

class QPagedPaintDevice;
class QPdfWriter;
class QPainter;
class QTextTable;

namespace trgui::widgets {

// HTML laid out on the pages of a device (a PDF writer), each page with a
// running header and a page number:
// - the header is the document's <title>, above a rule on every page;
// - the page number at the bottom takes its words from the document's
//   <meta name="page-numbers" content="Page %1 of %2">, else "%1 / %2";
// - words are never broken inside; a table too wide for the page with its
//   words whole is set in smaller type;
// - a table's <thead> rows come again at the top of each page it goes on to;
//   a table without such rows that fits on a page is not split but starts on
//   the next page (a signature block stays whole);
// - a table's row is never parted: it goes on to the next page whole;
// - a paragraph that fits on a page is not parted either;
// - a heading is never the last line of a page: it goes with what follows,
//   and with the first row of the table it heads (past that table's heading
//   rows and the paragraphs that introduce it);
// - "→" (U+2192) becomes "->" where no font has it;
// - nothing is drawn that the page does not show: the PDF's text holds only
//   what a reader sees.
class PagedHtml {
public:
    PagedHtml(const QString& html, QPagedPaintDevice& device);

    int pageCount() const;
    QString header() const;
    QString footer(int page) const;  // page counts from 1
    const QTextDocument& document() const { return document_; }
    // Where on each page (device units, from the top left of the page's
    // margins) the document's part of that page is drawn.
    QRectF body() const { return QRectF(0, bodyTop_, width_, bodyHeight_); }
    // Paints page (from 1) with painter on the device given.
    void paintPage(QPainter& painter, int page);

private:
    void fitTablesToPage();
    void separateTables();
    void keepTogether();
    void keepRowsWhole(QTextTable& table);
    bool rowStraddles(QTextTable& table, int row) const;
    int pageOf(qreal y) const;  // the page (from 0) a document position is on

    QTextDocument document_;
    QString pageWords_;
    qreal width_ = 0;
    qreal bodyTop_ = 0;     // the header band above the body
    qreal bodyHeight_ = 0;  // of one page
    qreal footerTop_ = 0;
};

// A4 upright with the report's margins, at 300 dpi.
void useReportPageLayout(QPdfWriter& writer);

// Writes html as an A4 PDF to path (several pages when it needs them), as
// PagedHtml lays it out: whole or not at all, as platform::writeFileWhole
// writes. False when the file cannot be written; why then holds the
// system's reason, and a file that was at path is as it was.
bool writeHtmlPdf(const QString& html, const QString& path, QString* why = nullptr,
                  platform::Existing existing = platform::Existing::Replace);

} // namespace trgui::widgets
