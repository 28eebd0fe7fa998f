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
    keepTogether();
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

void PagedHtml::keepTogether()
{
    QAbstractTextDocumentLayout* layout = document_.documentLayout();
    const auto pageOf = [this](qreal y) { return static_cast<int>(std::floor(y / bodyHeight_)); };
    // Where a block shows: a line that did not fit is moved down within its
    // block, so the block itself may begin on the page before.
    const auto shownAt = [layout](const QTextBlock& block) {
        const QTextLine line = block.layout()->lineAt(0);
        return layout->blockBoundingRect(block).top() + (line.isValid() ? line.y() + line.height() - 1 : 0);
    };
    QTextBlockFormat breakBefore;
    breakBefore.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    QTextBlock heading;  // the heading just passed, until what follows it is placed
    for (auto it = document_.rootFrame()->begin(); !it.atEnd(); ++it) {
        auto* table = qobject_cast<QTextTable*>(it.currentFrame());
        const QTextBlock block = table ? table->cellAt(0, 0).firstCursorPosition().block() : it.currentBlock();
        if (!table && block.length() <= 1)
            continue;  // the empty block beside a table
        document_.pageCount();  // lays out what an earlier break pushed down
        const int page = pageOf(shownAt(block));
        const bool split = table && table->format().headerRowCount() == 0
                        && layout->frameBoundingRect(table).height() <= bodyHeight_
                        && page != pageOf(layout->frameBoundingRect(table).bottom() - 1);
        const bool orphan = heading.isValid() && pageOf(shownAt(heading)) != page;
        if (heading.isValid() && (split || orphan)) {
            QTextCursor(heading).mergeBlockFormat(breakBefore);
        } else if (split) {
            QTextTableFormat format = table->format();
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            table->setFormat(format);
        }
        heading = !table && block.blockFormat().headingLevel() > 0 ? block : QTextBlock();
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
    document_.drawContents(&painter, QRectF(0, top, width_, bodyHeight_));
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
