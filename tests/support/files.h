#pragma once

// Small file helpers of the tests: a file's bytes, and a full disk played by
// a file size limit (POSIX), which stops writes for root too. Windows has no
// such limit: there FileSizeLimit is never active, and the cases that need a
// full disk are left out (kFullDiskPlayable).

#include <QByteArray>
#include <QFile>
#include <QString>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace trgui::testing {

inline QByteArray fileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

#ifdef _WIN32
constexpr bool kFullDiskPlayable = false;

class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64) {}
    bool active() const { return false; }
};
#else
constexpr bool kFullDiskPlayable = true;

// While it lives, no file of this process grows beyond bytes; a write past
// it fails instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes)
    {
        active_ = getrlimit(RLIMIT_FSIZE, &old_) == 0;
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        active_ = active_ && setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        if (active_)
            setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const { return active_; }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = SIG_DFL;
    bool active_ = false;
};
#endif

} // namespace trgui::testing
