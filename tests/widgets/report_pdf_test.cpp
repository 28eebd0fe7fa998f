#include "core/service_report.h"
#include "support/pdf_text.h"
#include "texts/catalogue.h"
#include "widgets/report_pdf.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFile>
#include <QPageLayout>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextBoundaryFinder>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>

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

// The same with a row of three lines, a field the variant lacks, a verdict
// and the names under the signatures: what a write on site leaves.
core::ReportData signedReport(int rowCount)
{
    core::ReportData data = longReport(rowCount);
    // Rows of one, two and three lines in an order that changes with the
    // count, so that the page ends fall at other places within them.
    for (int i = 0; i < rowCount; ++i) {
        for (int k = 0; k < (i * 7 + rowCount) % 3; ++k)
            data.configuration[static_cast<std::size_t>(i)].label += QStringLiteral(" Kennlinie");
    }
    if (rowCount > 5) {
        data.configuration[5] = {QStringLiteral("Analogausgang Temperatur Messbereichsende (Kanal 2)"),
                                 QStringLiteral("100.00"), QStringLiteral("°C"), QStringLiteral("100.00"),
                                 QStringLiteral("°C"), false, false};
    }
    data.technician = QStringLiteral("Anna Berg");
    data.verdict = QStringLiteral("geschrieben und bestätigt");
    return data;
}

// The same with what wraps and moves the headings: a configuration note
// per line to push the sections below down, values with units, a poll, and
// write actions whose changes run over several lines. The first rows the
// headings head: "Displaybeleuchtung", "Temperatur", "14:03:07".
core::ReportData wrappingReport(int rowCount, int notes)
{
    core::ReportData data = signedReport(rowCount);
    data.configuration[2] = {QStringLiteral("Multiplikationsfaktor"), QStringLiteral("1,234"), {}, QStringLiteral("1,23"),
                             {}, true};
    for (int i = 0; i < notes; ++i)
        data.configurationNotes << QStringLiteral("Hinweis %1").arg(i + 1);
    data.liveAt = data.at.addSecs(5);
    data.live = {{QStringLiteral("Temperatur"), QStringLiteral("23,50"), QStringLiteral("31,00"), QStringLiteral("1,5"),
                  QStringLiteral("°C")},
                 {QStringLiteral("Volumenstrom"), QStringLiteral("1,234"), QStringLiteral("2,5"), QStringLiteral("0,5"),
                  QString::fromUtf8("m³/h")}};
    const auto changes = [](int count) {
        return [count](int, core::DetailsForm form) {
            const char* const values[][3] = {
                {"Multiplikationsfaktor", "1.234", "1.23"},
                {"Rohrgröße", "50.0 mm", "62.5 mm"},
                {"Grenzwert Volumenstrom", "1,234 m³/h", "2,5 m³/h"},
                {"Anzeige Zeile 1", "Strömungsgeschwindigkeit", "Volumenstrom"},
            };
            QStringList list;
            for (int i = 0; i < count; ++i) {
                const auto& v = values[i % 4];
                list << QString::fromUtf8(v[0]) + QLatin1Char(' ')
                            + core::changeText(QString::fromUtf8(v[1]), QString::fromUtf8(v[2]), form);
            }
            return list.join(QStringLiteral(" | "));
        };
    };
    for (int i = 0; i < 3; ++i) {
        core::ServiceEntry write;
        write.at = data.at.addSecs(52 + i);
        write.details = changes(5 + 4 * i);
        write.outcome = core::ServiceOutcome::StoredUnacknowledged;
        data.actions.push_back(write);
    }
    return data;
}

// A report laid out on the pages of a PDF in memory, as writeHtmlPdf lays it out.
class LaidOut {
public:
    LaidOut(const core::ReportData& data, int language)
        : writer_(&buffer_)
    {
        buffer_.open(QIODevice::WriteOnly);
        widgets::useReportPageLayout(writer_);
        pages_.emplace(core::serviceReportHtml(data, language), writer_);
    }
    const widgets::PagedHtml& pages() const { return *pages_; }

private:
    QBuffer buffer_;
    QPdfWriter writer_;
    std::optional<widgets::PagedHtml> pages_;
};

// The pages a PDF's text layer has, each as its words and where they stand
// (points from the page's top left), as pdftotext reads them.
struct Word {
    QString text;
    QRectF box;
};
std::vector<std::vector<Word>> textLayer(const QString& pdf)
{
    const QString xml = trgui::testing::pdfText(pdf, {QStringLiteral("-bbox")});
    std::vector<std::vector<Word>> pages;
    static const QRegularExpression item(QStringLiteral(
        "<page |<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    for (auto it = item.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith(QStringLiteral("<page"))) {
            pages.emplace_back();
        } else if (!pages.empty()) {
            const auto at = [&m](int i) { return m.captured(i).toDouble(); };
            pages.back().push_back({m.captured(5), QRectF(QPointF(at(1), at(2)), QPointF(at(3), at(4)))});
        }
    }
    return pages;
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
        const LaidOut laid(longReport(), language);
        const widgets::PagedHtml& pages = laid.pages();
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
        const LaidOut laid(longReport(rows), 0);
        const widgets::PagedHtml& pages = laid.pages();
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

// Wherever the page ends, each row of a table is on one page, all its cells'
// lines with it; the table goes on between rows.
TEST(ServiceReportPdf, tableRowsAreNeverPartedByAPageEnd)
{
    int rowsMoved = 0;  // rows that began a page after the heading rows
    for (int language : {0, 2}) {
        for (int rowCount = 20; rowCount <= 60; rowCount += language == 0 ? 1 : 6) {
            const LaidOut laid(signedReport(rowCount), language);
            const widgets::PagedHtml& pages = laid.pages();
            const QTextDocument& document = pages.document();
            const QAbstractTextDocumentLayout* layout = document.documentLayout();
            const qreal pageHeight = document.pageSize().height();
            const auto lineAt = [layout](const QTextBlock& block, int line) {
                return layout->blockBoundingRect(block).top() + block.layout()->lineAt(line).y();
            };
            for (QTextFrame* frame : document.rootFrame()->childFrames()) {
                auto* table = qobject_cast<QTextTable*>(frame);
                if (!table || table->format().headerRowCount() == 0)
                    continue;
                int previousPage = -1;
                for (int row = 0; row < table->rows(); ++row) {
                    std::set<int> rowPages;
                    for (int column = 0; column < table->columns(); ++column) {
                        const QTextTableCell cell = table->cellAt(row, column);
                        for (QTextBlock block = cell.firstCursorPosition().block();
                             block.isValid() && block.position() <= cell.lastPosition(); block = block.next()) {
                            for (int line = 0; line < block.layout()->lineCount(); ++line) {
                                const qreal top = lineAt(block, line);
                                rowPages.insert(pageOf(top, pageHeight));
                                rowPages.insert(pageOf(top + block.layout()->lineAt(line).height() - 1, pageHeight));
                            }
                        }
                    }
                    ASSERT_EQ(rowPages.size(), 1u) << language << " " << rowCount << " rows: row " << row
                                                   << " on pages " << *rowPages.begin() << ".." << *rowPages.rbegin();
                    if (previousPage >= 0 && *rowPages.begin() != previousPage)
                        ++rowsMoved;
                    previousPage = *rowPages.begin();
                }
            }
        }
    }
    EXPECT_GT(rowsMoved, 40) << "the lengths tried put page ends between rows";
}

// The verdict and both signature blocks, each with its role and the name in
// print, share a page, whatever came before: they move on together.
TEST(ServiceReportPdf, verdictAndSignaturesShareTheirPage)
{
    std::set<int> signaturePages;
    for (int rowCount = 10; rowCount <= 60; rowCount += 2) {
        const LaidOut laid(signedReport(rowCount), 1);
        const widgets::PagedHtml& pages = laid.pages();
        const QTextDocument& document = pages.document();
        const QTextBlock verdict = document.find(QStringLiteral("Verdict: geschrieben und bestätigt")).block();
        const QTextBlock name = document.find(QStringLiteral("Name in capitals: Anna Berg")).block();
        const QTextBlock witness = document.find(QStringLiteral("Customer / witness")).block();
        const QTextBlock last = document.lastBlock().previous();  // the table's last cell, before the closing block
        ASSERT_TRUE(verdict.isValid() && name.isValid() && witness.isValid()) << rowCount;
        const int page = pageOf(verdict, document);
        for (const QTextBlock& block : {name, witness, last})
            EXPECT_EQ(pageOf(block, document), page) << rowCount << " " << block.text().toStdString();
        signaturePages.insert(page);
    }
    EXPECT_GE(signaturePages.size(), 2u) << "the lengths tried put the block on more than one page";
}

// A PDF's text holds what its pages show and nothing more: no line drawn
// beyond the part of the page that shows it (a heading that begins the next
// page, the end of a row parted by the page's end). The header and the page
// number are the only words outside that part.
TEST(ServiceReportPdf, theTextLayerHoldsOnlyWhatThePagesShow)
{
    QTemporaryDir dir;
    int pagesRead = 0;
    for (int language = 0; language < 3; ++language) {
        for (int rowCount = 22; rowCount <= 40; rowCount += 1) {
            const QString path = dir.filePath(QStringLiteral("r%1-%2.pdf").arg(rowCount).arg(language));
            // Both shapes: the plain one leaves a heading right after the table at the page's end.
            const QString html = core::serviceReportHtml(rowCount % 2 ? signedReport(rowCount) : longReport(rowCount - 9),
                                                         language);
            ASSERT_TRUE(widgets::writeHtmlPdf(html, path));
            QPdfWriter writer(dir.filePath(QStringLiteral("scratch.pdf")));
            widgets::useReportPageLayout(writer);
            const widgets::PagedHtml pages(html, writer);
            // The body's band in points, as pdftotext measures.
            const QRectF margins = writer.pageLayout().paintRect(QPageLayout::Point);
            const qreal scale = 72.0 / writer.resolution();
            const qreal bodyTop = margins.top() + pages.body().top() * scale;
            const qreal bodyBottom = margins.top() + pages.body().bottom() * scale;
            const auto layer = textLayer(path);
            ASSERT_EQ(static_cast<int>(layer.size()), pages.pageCount()) << path.toStdString();
            for (std::size_t page = 0; page < layer.size(); ++page) {
                const QStringList header = pages.header().split(QLatin1Char(' '));
                const QStringList footer = pages.footer(static_cast<int>(page) + 1).split(QLatin1Char(' '));
                int shown = 0;
                for (const Word& word : layer[page]) {
                    const qreal middle = word.box.center().y();
                    const bool inBody = middle > bodyTop && middle < bodyBottom;
                    shown += inBody;
                    const bool band = (middle <= bodyTop && header.contains(word.text))
                                   || (middle >= bodyBottom && footer.contains(word.text));
                    EXPECT_TRUE(inBody || band) << rowCount << " rows, language " << language << ", page "
                                                << page + 1 << ": \"" << word.text.toStdString() << "\" at "
                                                << middle << " outside " << bodyTop << ".." << bodyBottom;
                }
                EXPECT_GT(shown, 0) << rowCount << " rows, language " << language << ": page " << page + 1
                                    << " is empty (a break moved its content on twice)";
                ++pagesRead;
            }
        }
    }
    EXPECT_GT(pagesRead, 100);
}

// Reports whose changes, labels and values wrap over several lines and whose
// headings come at other places of a page, in each language, as their PDF's
// text reads: no value, unit or change is parted by a line's end ("1.234 -"
// then "> 1.23" read as minus and greater-than), and each heading stands on
// the page of the first row it heads, its table's heading row and the
// paragraph that introduces it ("Poll of …") with it.
TEST(ServiceReportPdf, noValueIsPartedAndHeadingsStayWithTheirFirstRows)
{
    struct Case {
        int language;
        int rows;
        int notes;
    };
    // The first of each language put "Measured values" and its "Poll of"
    // at the foot of page 1 before its table's first row was kept with them.
    const Case cases[] = {
        {0, 19, 2}, {0, 21, 0}, {0, 30, 6}, {1, 18, 3}, {1, 21, 1}, {1, 26, 5}, {2, 20, 1}, {2, 19, 2}, {2, 27, 8},
    };
    // Text as pdftotext gives it: no-break spaces as spaces, no word
    // joiners, and "fi" for the ligature the font draws.
    const auto plain = [](const QString& text) {
        QString out;
        for (QChar c : text) {
            if (c.unicode() >= 0xFB00 && c.unicode() <= 0xFB06)
                out += QString(c).normalized(QString::NormalizationForm_KC);
            else if (c != QChar(0x2060))
                out += c == QChar(QChar::Nbsp) ? QChar(QLatin1Char(' ')) : c;
        }
        return out.replace(QRegularExpression(QStringLiteral(" +")), QStringLiteral(" "));
    };
    const QStringList whole{QString::fromUtf8("1.234 → 1.23"), QString::fromUtf8("50.0 mm → 62.5 mm"),
                            QString::fromUtf8("1,234 m³/h → 2,5 m³/h"),
                            QString::fromUtf8("Strömungsgeschwindigkeit → Volumenstrom"), QString::fromUtf8("m³/h"),
                            QStringLiteral("1,234"), QStringLiteral("Kubikmeter/Stunde")};
    QTemporaryDir dir;
    for (const Case& c : cases) {
        const core::ReportData data = wrappingReport(c.rows, c.notes);
        const QString html = core::serviceReportHtml(data, c.language);
        const QString path = dir.filePath(QStringLiteral("r%1-%2-%3.pdf").arg(c.language).arg(c.rows).arg(c.notes));
        ASSERT_TRUE(widgets::writeHtmlPdf(html, path));
        const std::string shape = std::to_string(c.language) + "/" + std::to_string(c.rows) + "/" + std::to_string(c.notes);

        const QString text = plain(trgui::testing::pdfText(path));
        ASSERT_FALSE(text.isEmpty()) << shape;
        EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("-\\s*\\n\\s*>")))) << shape;
        EXPECT_FALSE(text.contains(QRegularExpression(QString::fromUtf8("→ *\\n|\\n *→")))) << shape;
        QPdfWriter scratch(dir.filePath(QStringLiteral("scratch.pdf")));
        widgets::useReportPageLayout(scratch);
        const QString drawn = plain(widgets::PagedHtml(html, scratch).document().toPlainText());
        // "->" where no font has the arrow.
        const QString arrow = drawn.contains(QChar(0x2192)) ? QString(QChar(0x2192)) : QStringLiteral("->");
        for (QString value : whole) {
            value.replace(QChar(0x2192), arrow);
            EXPECT_GT(drawn.count(value), 0) << shape << " " << value.toStdString();
            EXPECT_EQ(text.count(value), drawn.count(value)) << shape << ": \"" << value.toStdString() << "\" parted";
        }

        // Each heading, then the first row below it on its page.
        std::vector<std::pair<int, QString>> words;  // page, word in reading order
        const auto layer = textLayer(path);
        for (std::size_t page = 0; page < layer.size(); ++page) {
            for (const Word& word : layer[page])
                words.emplace_back(static_cast<int>(page), plain(word.text));
        }
        const std::pair<texts::Text, const char*> sections[] = {{texts::Text::ReportConfiguration, "Displaybeleuchtung"},
                                                                {texts::Text::ReportLive, "Temperatur"},
                                                                {texts::Text::ReportActions, "14:03:07"}};
        for (const auto& [heading, firstRow] : sections) {
            const QStringList headingWords = texts::text(heading, c.language).split(QLatin1Char(' '));
            std::size_t at = 0;
            while (at + headingWords.size() <= words.size()
                   && !std::equal(headingWords.begin(), headingWords.end(), words.begin() + static_cast<std::ptrdiff_t>(at),
                                  [](const QString& a, const auto& b) { return a == b.second; }))
                ++at;
            ASSERT_LT(at + headingWords.size(), words.size()) << shape << " " << headingWords.join(' ').toStdString();
            auto row = std::find_if(words.begin() + static_cast<std::ptrdiff_t>(at), words.end(),
                                    [&](const auto& word) { return word.second == QLatin1String(firstRow); });
            ASSERT_NE(row, words.end()) << shape << " " << firstRow;
            EXPECT_EQ(row->first, words[at].first)
                << shape << ": \"" << headingWords.join(' ').toStdString() << "\" ends page " << words[at].first + 1;
        }
    }
}
