#include "support/pdf_text.h"

#include <QProcess>

#ifdef _WIN32
#include "support/wine.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#endif

namespace trgui::testing {

#ifdef _WIN32

QString pdfText(const QString& pdf, const QStringList& options)
{
    const QString text = pdf + QStringLiteral(".txt");
    const QString done = pdf + QStringLiteral(".done");
    QFile::remove(text);
    QFile::remove(done);
    const auto quoted = [](const QString& path) { return "'" + QString::fromStdString(wine::unixPath(path)) + "'"; };
    // The text goes to a file: Wine hands a Linux program no pipe.
    if (!wine::startLinux(QStringLiteral("pdftotext %1 %2 %3; touch %4")
                              .arg(options.join(' '), quoted(pdf), quoted(text), quoted(done))))
        return {};
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(done) && clock.elapsed() < 30000)
        QThread::msleep(20);
    QFile file(text);
    const QString read = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    file.close();
    QFile::remove(text);
    QFile::remove(done);
    return read;
}

#else

QString pdfText(const QString& pdf, const QStringList& options)
{
    QProcess reader;
    reader.start(QStringLiteral("pdftotext"), options + QStringList{pdf, QStringLiteral("-")});
    reader.waitForFinished(30000);
    return QString::fromUtf8(reader.readAllStandardOutput());
}

#endif

} // namespace trgui::testing
