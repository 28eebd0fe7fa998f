#include "platform/platform.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

namespace trgui::platform {

namespace {

// The C library's text of an errno code. Not qt_error_string(code): on Windows
// that reads the code as one of the system's own, where 17 (EEXIST) is "Not
// same device".
QString errnoText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

bool writeWhole(QFile& file, const QByteArray& bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return file.flush();
}

bool replaceFile(const QString& from, const QString& to, QString* why)
{
    return moveIntoPlace(from, to, Existing::Replace, why);
}

bool writeFileWhole(const QString& path, const QByteArray& bytes, Existing existing, QString* why)
{
    const auto failed = [why](const QString& reason) {
        if (why)
            *why = reason;
        return false;
    };
    QFileInfo target(path);
    if (target.exists() && existing == Existing::Keep)
        return failed(errnoText(EEXIST));
    // A link is followed: the file it names is replaced, the link stays.
    if (target.isSymLink() && target.exists())
        target = QFileInfo(target.canonicalFilePath());
    if (target.exists() && !target.isFile() && !target.isDir()) {
        // A device or a pipe has no folder entry to swap; it takes the bytes as they come.
        QFile file(target.filePath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || !writeWhole(file, bytes))
            return failed(file.errorString());
        return true;
    }
    QFile file(target.absolutePath() + QStringLiteral("/.") + target.fileName()
               + QStringLiteral(".%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return failed(file.errorString());
    const auto abandon = [&](const QString& reason) {
        file.close();
        file.remove();
        return failed(reason);
    };
    if (!writeWhole(file, bytes))
        return abandon(file.errorString());
    if (!syncFile(file))
        return abandon(qt_error_string());  // errno here, the last system error on Windows
    file.close();
    if (file.error() != QFileDevice::NoError)
        return abandon(file.errorString());
    if (QFileInfo(file.fileName()).size() != bytes.size())
        return abandon(errnoText(EIO));
    if (target.exists())
        file.setPermissions(target.permissions());  // a replaced file keeps who may read it
    QString reason;
    if (!moveIntoPlace(file.fileName(), target.absoluteFilePath(), existing, &reason)) {
        file.remove();
        return failed(reason);
    }
    return true;
}

bool canMakeFile(const QString& path, QString* why)
{
    const QFileInfo target(path);
    if (target.exists() && target.isDir()) {
        if (why)
            *why = errnoText(EISDIR);
        return false;
    }
    if (target.exists())
        return true;
    QFile probe(path);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (why)
            *why = probe.errorString();
        return false;
    }
    probe.close();
    probe.remove();
    return true;
}

} // namespace trgui::platform
