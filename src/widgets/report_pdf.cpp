#include "widgets/report_pdf.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>
#include <cmath>

namespace trgui::widgets {

namespace {

// The running header and the page number are a little smaller than the body.
QFont bandFont(const QTextDocument& document)
{
    QFont font = document.defaultFont();
    font.setPointSizeF(8);
    return font;
}

} // namespace

PagedHtml::PagedHtml(const QString& html, QPagedPaintDevice& device)
{
    document_.documentLayout()->setPaintDevice(&device);
    // Qt's default breaks a word anywhere when a column is narrow
    // ("Displaybeleuchtun g"); only between words here.
    QTextOption option = document_.defaultTextOption();
    option.setWrapMode(QTextOption::WordWrap);
    document_.setDefaultTextOption(option);
    document_.setHtml(html);
    document_.setDocumentMargin(0);  // the page's margins are the writer's
    // The arrow of a change ("1.234 → 1.23") where a font has it; else "->",
    // held together by a word joiner as its sides are by no-break spaces.
    if (!QFontMetricsF(document_.defaultFont(), &device).inFontUcs4(0x2192)) {
        const QString arrow(QChar(0x2192));
        for (QTextCursor at = document_.find(arrow); !at.isNull(); at = document_.find(arrow, at))
            at.insertText(QStringLiteral("-\u2060>"));
    }

    static const QRegularExpression pageWords(
        QStringLiteral("<meta\\s+name=\"page-numbers\"\\s+content=\"([^\"]*)\""));
    const auto words = pageWords.match(html);
    pageWords_ = words.hasMatch() ? QTextDocumentFragment::fromHtml(words.captured(1)).toPlainText()
                                  : QStringLiteral("%1 / %2");

    // Header and page number each get a band of two lines of their font.
    const QFontMetricsF metrics(bandFont(document_), &device);
    const qreal band = 2 * metrics.lineSpacing();
    width_ = device.width();
    bodyTop_ = band;
    footerTop_ = device.height() - band;
    bodyHeight_ = footerTop_ - bodyTop_;
    document_.setPageSize(QSizeF(width_, bodyHeight_));
    fitTablesToPage();
    separateTables();
    keepTogether();
}

void PagedHtml::separateTables()
{
    // A block that follows a table directly gets no top margin, and Qt then
    // misjudges where the page ends for it: a heading there was left across
    // the page's end, or, asked to begin a page, moved two pages on. An empty
    // block between them, which Qt hides, makes it an ordinary block again.
    for (QTextFrame* frame : document_.rootFrame()->childFrames()) {
        QTextCursor cursor(&document_);
        cursor.setPosition(frame->lastPosition() + 1);
        if (cursor.block().length() <= 1)
            continue;
        cursor.insertBlock(cursor.blockFormat(), cursor.charFormat());
        cursor.movePosition(QTextCursor::PreviousBlock);
        cursor.setBlockFormat(QTextBlockFormat());
    }
}

void PagedHtml::fitTablesToPage()
{
    // A column is as wide as its longest word at least, so a table of long
    // words can be wider than the page: its type is made smaller until it fits.
    constexpr qreal kSmallestPoints = 6;
    for (QTextFrame* frame : document_.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        for (int round = 0; table && round < 4; ++round) {
            document_.pageCount();  // lays it out
            const qreal wide = document_.documentLayout()->frameBoundingRect(table).width();
            QTextCursor cells(&document_);
            cells.setPosition(table->firstPosition());
            const qreal points = cells.charFormat().fontPointSize() > 0 ? cells.charFormat().fontPointSize()
                                                                         : document_.defaultFont().pointSizeF();
            if (wide <= width_ + 0.5 || points <= kSmallestPoints)
                break;
            cells.setPosition(table->lastPosition(), QTextCursor::KeepAnchor);
            QTextCharFormat smaller;
            smaller.setFontPointSize(std::max(kSmallestPoints, std::floor(points * width_ / wide * 10) / 10));
            cells.mergeCharFormat(smaller);
        }
    }
}

namespace {

// Where a line of a laid-out block is, in document coordinates.
qreal lineTop(const QAbstractTextDocumentLayout& layout, const QTextBlock& block, int line)
{
    const QTextLine l = block.layout()->lineAt(line);
    return layout.blockBoundingRect(block).top() + (l.isValid() ? l.y() : 0);
}

qreal lineBottom(const QAbstractTextDocumentLayout& layout, const QTextBlock& block, int line)
{
    const QTextLine l = block.layout()->lineAt(line);
    return lineTop(layout, block, line) + (l.isValid() ? l.height() : 0);
}

// The text of a table row: from the top of its first line to the bottom of
// its last, over all its cells, and the height of its shortest first line.
struct RowExtent {
    qreal top = 0;
    qreal bottom = 0;
    qreal firstLine = 0;
};

RowExtent rowExtent(const QAbstractTextDocumentLayout& layout, QTextTable& table, int row)
{
    RowExtent extent;
    bool any = false;
    for (int column = 0; column < table.columns(); ++column) {
        const QTextTableCell cell = table.cellAt(row, column);
        if (cell.row() != row || cell.column() != column)
            continue;  // a spanned cell is measured where it begins
        const QTextBlock first = cell.firstCursorPosition().block();
        const QTextBlock last = cell.lastCursorPosition().block();
        const int lines = std::max(1, last.layout()->lineCount());
        const qreal top = lineTop(layout, first, 0);
        const qreal bottom = lineBottom(layout, last, lines - 1);
        const qreal height = bottom - top;
        const qreal firstLine = first.layout()->lineCount() > 0 ? first.layout()->lineAt(0).height() : height;
        if (!any) {
            extent = {top, bottom, firstLine};
            any = true;
        } else {
            extent.top = std::min(extent.top, top);
            extent.bottom = std::max(extent.bottom, bottom);
            extent.firstLine = std::min(extent.firstLine, firstLine);
        }
    }
    return extent;
}

} // namespace

int PagedHtml::pageOf(qreal y) const
{
    return static_cast<int>(std::floor(y / bodyHeight_));
}

bool PagedHtml::rowStraddles(QTextTable& table, int row) const
{
    const RowExtent extent = rowExtent(*document_.documentLayout(), table, row);
    return extent.bottom - extent.top <= bodyHeight_ && pageOf(extent.top) != pageOf(extent.bottom - 1);
}

void PagedHtml::keepRowsWhole(QTextTable& table)
{
    // Qt moves a row on only when none of its cells has a line left on the
    // page, so a row whose label takes two lines is parted between them. The
    // row before such a row is made taller until no first line of it fits:
    // then Qt moves the whole row, and the heading rows come again above it.
    const QAbstractTextDocumentLayout& layout = *document_.documentLayout();
    const qreal deviceToPadding = 96.0 / layout.paintDevice()->logicalDpiY();
    for (int row = table.format().headerRowCount() + 1; row < table.rows(); ++row) {
        document_.pageCount();  // lays out what moved
        if (!rowStraddles(table, row))
            continue;
        const RowExtent extent = rowExtent(layout, table, row);
        const qreal room = (pageOf(extent.top) + 1) * bodyHeight_ - extent.top;
        const qreal extra = std::max<qreal>(0, room - extent.firstLine / 2) * deviceToPadding;
        for (int column = 0; column < table.columns(); ++column) {
            QTextTableCell above = table.cellAt(row - 1, column);
            if (above.column() != column)
                continue;
            QTextTableCellFormat format = above.format().toTableCellFormat();
            const qreal padding = format.hasProperty(QTextFormat::TableCellBottomPadding) ? format.bottomPadding()
                                                                                           : table.format().cellPadding();
            format.setBottomPadding(padding + extra);
            above.setFormat(format);
        }
    }
}

void PagedHtml::keepTogether()
{
    QAbstractTextDocumentLayout* layout = document_.documentLayout();
    // Where a block shows: a line that did not fit is moved down within its
    // block, so the block itself may begin on the page before.
    const auto shownAt = [layout](const QTextBlock& block) { return lineBottom(*layout, block, 0) - 1; };
    // What is to begin a page: a table or a block.
    struct Item {
        QTextTable* table = nullptr;
        QTextBlock block;
    };
    const auto startPage = [](const Item& item) {
        if (item.table) {
            QTextTableFormat format = item.table->format();
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            item.table->setFormat(format);
            return;
        }
        QTextBlockFormat breakBefore;
        breakBefore.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor(item.block).mergeBlockFormat(breakBefore);
    };
    const auto headerRows = [](const Item& item) { return item.table ? item.table->format().headerRowCount() : 0; };
    const auto isHeading = [](const Item& item) { return !item.table && item.block.blockFormat().headingLevel() > 0; };
    std::vector<Item> items;
    for (auto it = document_.rootFrame()->begin(); !it.atEnd(); ++it) {
        auto* table = qobject_cast<QTextTable*>(it.currentFrame());
        const QTextBlock block = table ? table->cellAt(0, 0).firstCursorPosition().block() : it.currentBlock();
        if (table || block.length() > 1)  // not the empty block beside a table
            items.push_back({table, block});
    }
    // Whether the paragraphs from items[i] on lead to a table with heading
    // rows ("Poll of 14:02:15" above the measured values): they introduce it.
    const auto introduces = [&](std::size_t i) {
        while (i < items.size() && !items[i].table && !isHeading(items[i]))
            ++i;
        return i < items.size() && headerRows(items[i]) > 0;
    };
    QTextBlock heading;  // the heading just passed, until what it heads is placed
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        auto* table = item.table;
        const QTextBlock block = item.block;
        document_.pageCount();  // lays out what an earlier break pushed down
        const int page = pageOf(shownAt(block));
        // A table without heading rows and a paragraph are not parted when
        // they fit on a page; a table with them is parted between rows only,
        // and its heading rows stand on the page of its first row.
        bool split = false;
        if (headerRows(item) > 0) {
            const int first = headerRows(item);
            split = first < table->rows()
                 && (rowStraddles(*table, first)
                     || pageOf(shownAt(table->cellAt(first, 0).firstCursorPosition().block())) != page);
        } else {
            // A block's lines from the top of its first: after a table Qt
            // may leave a line across the page's end, half on each page.
            const QRectF box = table ? layout->frameBoundingRect(table) : layout->blockBoundingRect(block);
            const qreal top = table ? box.top() : lineTop(*layout, block, 0);
            const qreal bottom = table ? box.bottom()
                                       : lineBottom(*layout, block, std::max(0, block.layout()->lineCount() - 1));
            split = bottom - top <= bodyHeight_ && pageOf(top) != pageOf(bottom - 1);
        }
        const bool orphan = heading.isValid() && pageOf(shownAt(heading)) != page;
        if (heading.isValid() && (split || orphan))
            startPage({nullptr, heading});
        else if (split)
            startPage(item);
        if (headerRows(item) > 0)
            keepRowsWhole(*table);
        // A heading goes with what follows it; with the paragraphs that
        // introduce a table, it goes with the table's first row.
        if (isHeading(item))
            heading = block;
        else if (table || !heading.isValid() || !introduces(i + 1))
            heading = QTextBlock();
    }
}

int PagedHtml::pageCount() const
{
    return document_.pageCount();
}

QString PagedHtml::header() const
{
    return document_.metaInformation(QTextDocument::DocumentTitle);
}

QString PagedHtml::footer(int page) const
{
    return QString(pageWords_).arg(page).arg(pageCount());
}

void PagedHtml::paintPage(QPainter& painter, int page)
{
    const qreal top = (page - 1) * bodyHeight_;
    painter.save();
    painter.translate(0, bodyTop_ - top);
    // Qt draws a line that begins right at the clip's lower edge and leaves
    // it to the clip to hide: in a PDF it would stay in the text layer, an
    // invisible copy of the next page's first line. The clip ends a hair
    // above the page's end, so such a line is not drawn here at all.
    document_.drawContents(&painter, QRectF(0, top, width_, bodyHeight_ - 0.5));
    painter.restore();

    painter.save();
    painter.setFont(bandFont(document_));
    painter.setPen(Qt::black);
    const qreal lineHeight = bodyTop_ / 2;
    painter.drawText(QRectF(0, 0, width_, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, header());
    const qreal rule = lineHeight * 1.25;
    painter.setPen(QPen(Qt::black, lineHeight / 20));
    painter.drawLine(QPointF(0, rule), QPointF(width_, rule));
    painter.drawText(QRectF(0, footerTop_ + lineHeight, width_, lineHeight), Qt::AlignRight | Qt::AlignVCenter,
                     footer(page));
    painter.restore();
}

void useReportPageLayout(QPdfWriter& writer)
{
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 12, 15, 12),
                                     QPageLayout::Millimeter));
    writer.setResolution(300);
}

bool writeHtmlPdf(const QString& html, const QString& path, QString* why, platform::Existing existing)
{
    // Drawn in memory first, so that nothing of it reaches the disk unless all of it does.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    bool drawn = false;
    {
        QPdfWriter writer(&pdf);
        useReportPageLayout(writer);
        writer.setCreator(QStringLiteral("TR-GUI"));
        PagedHtml pages(html, writer);
        writer.setTitle(pages.header());
        QPainter painter;
        drawn = painter.begin(&writer);
        for (int page = 1; drawn && page <= pages.pageCount(); ++page) {
            if (page > 1 && !writer.newPage())
                drawn = false;
            else
                pages.paintPage(painter, page);
        }
        if (painter.isActive())
            drawn = painter.end() && drawn;
    }
    if (!drawn || !pdf.data().trimmed().endsWith("%%EOF")) {
        if (why)
            *why = QFile::tr("Unknown error");
        return false;
    }
    return platform::writeFileWhole(path, pdf.data(), existing, why);
}

} // namespace trgui::widgets
