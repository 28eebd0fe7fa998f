// The chart leaves the screen: printed, copied, saved as a picture, a PDF or
// the CSV text of its samples. Pictures, prints and copies show the chart
// without the focus colour.

#include "scope/chart_csv.h"
#include "scope/scope_component.h"

#include "widgets/file_dialog.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QMetaMethod>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>

namespace trgui::scope {

namespace {

constexpr auto kSaveFilter = "PNG (*.png);;PDF (*.pdf);;CSV (*.csv)";

// Writes bytes to path whole; on failure reason receives the system's text.
bool writeWhole(const QString& path, const QByteArray& bytes, QString* reason)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush())
        return true;
    if (reason)
        *reason = file.errorString();
    return false;
}

} // namespace

void ScopeComponent::print()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QCPPainter painter(&printer);
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const PlainLook plain(*this);
    plot_->toPainter(&painter, page.width(), page.width() * plot_->height() / std::max(1, plot_->width()));
}

void ScopeComponent::copyToClipboard()
{
    const PlainLook plain(*this);
    QApplication::clipboard()->setPixmap(plot_->toPixmap());
}

void ScopeComponent::save()
{
    const QString caption = model_->saveButton->caption;
    const QString filter = QString::fromLatin1(kSaveFilter);
    QString chosenFilter;
    QString path = fileChooser_ ? fileChooser_(this, caption, filter, &chosenFilter)
                                : widgets::chooseFile(this, widgets::FileDialogKind::Save, caption, QString(), filter,
                                                      &chosenFilter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += chosenFilter.startsWith(QLatin1String("PDF")) ? QStringLiteral(".pdf")
              : chosenFilter.startsWith(QLatin1String("CSV")) ? QStringLiteral(".csv")
                                                              : QStringLiteral(".png");
    QString reason;
    if (saveFile(path, &reason))
        return;
    if (isSignalConnected(QMetaMethod::fromSignal(&ScopeComponent::saveFailed))) {
        emit saveFailed(path, reason);
    } else {
        QMessageBox box(QMessageBox::NoIcon, caption, QDir::toNativeSeparators(path) + QLatin1Char('\n') + reason,
                        QMessageBox::Ok, this);
        box.exec();
    }
}

bool ScopeComponent::saveFile(const QString& path, QString* reason)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return writeWhole(path, csvBytes(), reason);
    if (suffix == QLatin1String("pdf")) {
        // The PDF writer keeps its reasons to itself: the file is opened here
        // first, so that the system can say why it cannot be written.
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly)) {
            if (reason)
                *reason = probe.errorString();
            return false;
        }
        probe.close();
        if (savePdf(path))
            return true;
        if (reason)
            *reason = probe.errorString();
        return false;
    }
    return writeWhole(path, pngBytes(), reason);
}

QByteArray ScopeComponent::pngBytes() const
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    const PlainLook plain(*this);
    plot_->toPixmap().save(&buffer, "PNG");
    return png;
}

bool ScopeComponent::savePng(const QString& path)
{
    return writeWhole(path, pngBytes(), nullptr);
}

bool ScopeComponent::savePdf(const QString& path)
{
    const PlainLook plain(*this);
    return plot_->savePdf(path);
}

QByteArray ScopeComponent::csvBytes() const
{
    std::vector<CsvChannel> channels;
    for (int i = 0; i < model_->channels->count(); ++i) {
        const ChannelNode* channel = model_->channels->channel(i);
        // The axis label carries the unit when its axis shows this channel only.
        channels.push_back({channel->name, axisNode(channel->yAxisIndex)->label->text,
                            modelAxisIndex(channel->yAxisIndex), &channel->data->values});
    }
    return chartCsv(model_->xAxis->label->text, channels);
}

bool ScopeComponent::saveCsv(const QString& path)
{
    return writeWhole(path, csvBytes(), nullptr);
}

ScopeComponent::PlainLook::PlainLook(const ScopeComponent& scope) : scope_(scope), focused_(scope.plot_->hasFocus())
{
    // Pictures, prints and copies show the chart, not where the keyboard is.
    if (focused_)
        scope_.showFocus(false);
}

ScopeComponent::PlainLook::~PlainLook()
{
    if (focused_)
        scope_.showFocus(true);
}

} // namespace trgui::scope
