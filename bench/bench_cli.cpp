// Times what commissioning one device takes with tr-gui-cli against the
// simulator, two ways: identify, read-config, then write-config --yes of a
// changed block with its read-back (three program starts); and commission
// --yes --report, the same conversation and the report in one. Prints the
// medians (program starts included) and their ratios to the waits the
// protocol itself prescribes: for the three commands their pauses, alone and
// with the time their bytes take on the wire at 9600 baud (from the trace);
// for commission the least conversation that does it, each exchange's pause
// and one read window.

#include "device/page_exchanges.h"
#include "device/protocol.h"
#include "device/serial_link.h"
#include "support/simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using trgui::device::DeviceCommand;
using trgui::device::pauseOf;

// The pauses between request and reply of the conversations the three commands hold.
int protocolWaitsMs()
{
    const int identify = trgui::device::kIdentifyPagePauseMs;
    const int onConnect = identify + pauseOf(DeviceCommand::ReadVersion);              // each command opens and identifies
    const int read = pauseOf(DeviceCommand::ReadConfiguration);                         // the block; identified on connecting
    const int write = 2 * pauseOf(DeviceCommand::WriteConfiguration);                   // the telegram's two halves
    const int readBack = pauseOf(DeviceCommand::ReadConfiguration);                     // the block once more
    return onConnect                                   // identify
         + onConnect + read                            // read-config
         + onConnect + read + write + readBack;        // write-config
}

// The bytes the trace shows on the line, both ways ("… -> 50  Identify", "… <- 50 04 11 65  Identify accepted").
int tracedBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    int bytes = 0;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const qsizetype arrow = std::max(line.indexOf("-> "), line.indexOf("<- "));
        if (arrow < 0)
            continue;
        const qsizetype end = line.indexOf("  ", arrow + 3);
        const QByteArray hex = line.mid(arrow + 3, end < 0 ? -1 : end - arrow - 3).trimmed();
        bytes += static_cast<int>(hex.split(' ').size());
    }
    return bytes;
}

// Identify, read, the telegram's two parts and the read-back: each its pause and one read window.
int minimalConversationMs()
{
    const int window = trgui::device::kSilenceEndsReadMs;
    return pauseOf(DeviceCommand::Identify) + window + pauseOf(DeviceCommand::ReadConfiguration) + window
         + 2 * (pauseOf(DeviceCommand::WriteConfiguration) + window) + pauseOf(DeviceCommand::ReadConfiguration)
         + window;
}

bool runCli(const QStringList& arguments)
{
    QProcess cli;
    cli.start(QStringLiteral(TRGUI_CLI_PATH), arguments);
    return cli.waitForFinished(30000) && cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 7;
    trgui::testing::Simulator sim(17);
    QTemporaryDir dir;
    if (!sim.started() || !dir.isValid()) {
        std::fprintf(stderr, "simulator did not start\n");
        return 1;
    }
    const QString device = QString::fromStdString(sim.linkPath());
    const QString trace = dir.filePath("trace.txt");
    const QStringList common{"--device", device, "--quiet", "--settings", dir.filePath("TR-GUI.ini"), "--trace", trace};
    const QString found = dir.filePath("found.kmc");
    const QString changed = dir.filePath("changed.kmc");
    qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());

    std::vector<double> times;
    int failed = 0;
    int onTheWire = 0;
    for (int i = 0; i < rounds; ++i) {
        QFile::remove(trace);
        QElapsedTimer clock;
        clock.start();
        bool ok = runCli(common + QStringList{"identify"}) && runCli(common + QStringList{"read-config", found});
        const double readMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        // Every other round writes the pipe size back, so each write changes something.
        QFile file(found);
        ok = ok && file.open(QIODevice::ReadOnly);
        QByteArray bytes = file.readAll();
        file.close();
        const qsizetype at = 8;  // the pipe size's float in the file
        bytes.replace(at, 4, QByteArray::fromHex(bytes.mid(at, 4) == QByteArray::fromHex("42480000") ? "427a0000" : "42480000"));
        QFile out(changed);
        ok = ok && out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
        out.close();
        clock.restart();
        ok = ok && runCli(common + QStringList{"write-config", changed, "--yes"});
        times.push_back(readMs + static_cast<double>(clock.nsecsElapsed()) / 1e6);
        failed += ok ? 0 : 1;
        onTheWire = tracedBytes(trace);
    }
    // commission: one program, one connection, the report included.
    std::vector<double> commissions;
    QByteArray next;
    {
        QFile file(changed);
        file.open(QIODevice::ReadOnly);
        next = file.readAll();
    }
    for (int i = 0; i < rounds; ++i) {
        const qsizetype at = 8;
        next.replace(at, 4, QByteArray::fromHex(next.mid(at, 4) == QByteArray::fromHex("42480000") ? "427a0000" : "42480000"));
        QFile out(changed);
        bool ok = out.open(QIODevice::WriteOnly) && out.write(next) == next.size();
        out.close();
        QFile::remove(dir.filePath("c.pdf"));
        QElapsedTimer clock;
        clock.start();
        ok = ok && runCli(common + QStringList{"commission", changed, "--yes", "--report", dir.filePath("c.pdf")});
        commissions.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        failed += ok && QFile::exists(dir.filePath("c.pdf")) ? 0 : 1;
    }
    std::sort(commissions.begin(), commissions.end());
    const double commission = commissions[commissions.size() / 2];

    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    const int waits = protocolWaitsMs();
    std::printf("identify + read-config + write-config --yes (verified), %d rounds, %d failed\n", rounds, failed);
    std::printf("  median %8.1f ms\n", median);
    const double wire = onTheWire * 10.0 / 9.6;  // start, 8 data and stop bit at 9600 baud
    std::printf("  protocol's own waits %5d ms; ratio %.2f\n", waits, median / waits);
    std::printf("  with the wire time of its %d bytes %5.0f ms; ratio %.2f\n", onTheWire, waits + wire, median / (waits + wire));
    const int minimal = minimalConversationMs();
    std::printf("commission --yes --report (identify, read, write, read back, log, report), %d rounds\n", rounds);
    std::printf("  median %8.1f ms\n", commission);
    std::printf("  least conversation (pauses and one read window each) %5d ms; ratio %.2f\n", minimal,
                commission / minimal);
    return failed == 0 ? 0 : 1;
}
