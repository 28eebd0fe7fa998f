// The real tr-gui-cli against the simulator: what each command prints and
// the exit status a script relies on.

#include "support/files.h"
#include "support/pdf_text.h"
#include "support/simulator.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

using trgui::testing::Simulator;
using trgui::testing::fileContents;
using trgui::testing::pdfText;

namespace {

struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

class Cli : public ::testing::Test {
protected:
    Cli()
    {
        QFile settings(dir.filePath("TR-GUI.ini"));
        settings.open(QIODevice::WriteOnly);
        settings.write(QStringLiteral("[COM]\r\nCOMPORT=1\r\nCOM1=%1\r\nCOM3=/nonexistent/tty-km210\r\n[DATEN]\r\nLANGUAGE=1\r\n"
                                      "[BERICHT]\r\nTECHNIKER=Anna Weber\r\nKENNUNG=FT-101\r\n")
                           .arg(QString::fromStdString(sim.linkPath()))
                           .toUtf8());
    }

    QProcess* start(QStringList arguments)
    {
        launch(process, std::move(arguments));
        return &process;
    }
    void launch(QProcess& process, QStringList arguments)
    {
        process.setWorkingDirectory(dir.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", dir.filePath("data"));
        environment.insert("APPDATA", QDir::toNativeSeparators(dir.filePath("data")));  // Windows
        process.setProcessEnvironment(environment);
#ifndef _WIN32
        // A full disk, also for root: no file of the program grows beyond this.
        process.setChildProcessModifier([limit = fileSizeLimit] {
            if (limit > 0) {
                rlimit size{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
                setrlimit(RLIMIT_FSIZE, &size);
            }
        });
#endif
        process.start(QStringLiteral(TRGUI_CLI_PATH), QStringList{"--settings", "TR-GUI.ini"} + arguments);
        process.waitForStarted();
    }
    Outcome run(const QStringList& arguments)
    {
        start(arguments);
        process.closeWriteChannel();  // no terminal: nothing is asked
        process.waitForFinished(30000);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    QString path(const char* name) { return dir.filePath(name); }
    QString logPath() { return dir.filePath("data/TR-GUI/service-log.csv"); }
    // found.kmc as the device holds it, new.kmc the same with the pipe at 62.5 instead of 50.0.
    QByteArray writeConfigurations()
    {
        if (run({"read-config", "found.kmc"}).code != 0)
            return {};
        QByteArray changed = fileContents(path("found.kmc"));
        const qsizetype pipe = changed.indexOf(QByteArray::fromHex("42480000"));
        if (changed.size() != 101 || pipe <= 0)
            return {};
        changed.replace(pipe, 4, QByteArray::fromHex("427a0000"));
        QFile file(path("new.kmc"));
        return file.open(QIODevice::WriteOnly) && file.write(changed) == changed.size() ? changed : QByteArray();
    }

    Simulator sim{17};
    qint64 fileSizeLimit = 0;  // none
    QTemporaryDir dir;
    QProcess process;
};

} // namespace

TEST_F(Cli, listsPortsIdentifiesReportsAndTellsWhyAPortOrADeviceFails)
{
    const Outcome identify = run({"identify"});
    EXPECT_EQ(identify.code, 0) << identify.err.toStdString();
    EXPECT_TRUE(identify.out.contains("model: KM210-DR-E1S2H1\ntype code: 17\nfamily: DR\nsoftware version: 1.05\n"))
        << identify.out.toStdString();

    struct Case {
        QStringList arguments;
        int code;
        const char* says;
    };
    const Case cases[] = {
        {{"--port", "3", "identify"}, 3, "COM3 (/nonexistent/tty-km210) is not present."},
        {{"--device", "/nonexistent/x", "--language", "de", "identify"}, 3, "ist nicht vorhanden."},
        {{"identify", "extra"}, 2, "identify takes no file"},
        {{"record", "x.csv"}, 2, "record needs --seconds"},
        {{"--port", "1", "--device", "/dev/null", "identify"}, 2, "not both"},
        {{"frobnicate"}, 2, "unknown command"},
        {{"values", "--tag", "FT-7"}, 2, "belong to write-config, commission and report"},
    };
    for (const auto& [arguments, code, says] : cases) {
        const Outcome r = run(arguments);
        EXPECT_EQ(r.code, code) << arguments.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(says))) << r.err.toStdString();
    }
    const Outcome ports = run({"ports"});
    EXPECT_EQ(ports.code, 0);
#ifdef _WIN32
    // Wine lists the ports it knew at its start; the simulator's came later.
    const QString simulatorEntry = "COM1   (" + QString::fromStdString(sim.linkPath());
#else
    const QString simulatorEntry = "COM1   (" + QString::fromStdString(sim.linkPath()) + ")\n";
#endif
    EXPECT_TRUE(ports.out.startsWith(simulatorEntry)) << ports.out.toStdString();
    EXPECT_TRUE(ports.out.contains("COM3   (/nonexistent/tty-km210, not present)\n"));

    const Outcome report = run({"--language", "fr", "report", "now"});
    EXPECT_EQ(report.code, 0) << report.err.toStdString();
    QFile pdf(path("now.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");

    sim.control("silent on");
    const Outcome silent = run({"identify"});
    EXPECT_EQ(silent.code, 4);
    EXPECT_TRUE(silent.err.contains("is open but the device does not answer")) << silent.err.toStdString();
}

TEST_F(Cli, valuesComeAsTheCycleMakesThemInPlainNumbers)
{
    const Outcome json = run({"values", "--count", "2", "--interval", "0", "--format", "json"});
    ASSERT_EQ(json.code, 0) << json.err.toStdString();
    const QStringList lines = json.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    const QJsonObject first = QJsonDocument::fromJson(lines[0].toUtf8()).object();
    EXPECT_EQ(first["model"].toString(), "KM210-DR-E1S2H1");
    EXPECT_GT(first["velocity"].toDouble(), 0.0);
    EXPECT_EQ(first["temperature_unit"].toString(), QString::fromUtf8("°C"));
    EXPECT_EQ(sim.count("request 0x41 ReadErrorCode"), 2);

    const Outcome csv = run({"values", "--interval", "0", "--language", "de"});
    ASSERT_EQ(csv.code, 0);
    const QStringList rows = csv.out.split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 3) << "model, header, one row, as a recording begins";
    EXPECT_EQ(rows[0], "KM210-DR-E1S2H1");
    EXPECT_TRUE(rows[1].startsWith("Datum; Uhrzeit; ")) << rows[1].toStdString();
    EXPECT_TRUE(rows[2].contains(',')) << "the recording's decimal comma";
}

TEST_F(Cli, aConfigurationIsReadWrittenOnlyWhenConfirmedAndVerified)
{
    const QByteArray changed = writeConfigurations();
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_EQ(changed[0], 17);
    QByteArray otherFamily = changed;
    otherFamily[0] = 33;
    QFile wt(path("wt.kmc"));
    ASSERT_TRUE(wt.open(QIODevice::WriteOnly));
    wt.write(otherFamily);
    wt.close();

    struct Case {
        QStringList arguments;
        const char* control;
        int code;
        const char* says;
    };
    const Case cases[] = {
        {{"write-config", "found.kmc"}, "", 0, "already holds this configuration"},
        {{"write-config", "new.kmc"}, "", 5, "give --yes"},
        {{"write-config", "wt.kmc", "--yes"}, "", 5, "another family"},
        {{"write-config", "nothing.kmc", "--yes"}, "", 8, "cannot be read"},
        {{"write-config", "new.kmc", "--yes", "--report", "w.pdf"}, "", 0, "Written and read back"},
        {{"write-config", "found.kmc", "--yes"}, "clamp 7 42700000", 7, "Pipe size: 50.0 -> 60.0"},
    };
    for (const auto& [arguments, control, code, says] : cases) {
        if (*control)
            sim.control(control);
        const Outcome r = run(arguments);
        EXPECT_EQ(r.code, code) << arguments.join(' ').toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(says))) << r.err.toStdString();
    }
    EXPECT_TRUE(QFile::exists(path("w.pdf")));
    QFile log(logPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray entries = log.readAll();
    EXPECT_TRUE(entries.contains("Pipe size 50.0 -> 62.5; acknowledged, read back")) << entries.toStdString();
    EXPECT_EQ(entries.count("Write configuration"), 2) << "refusals write nothing to the device and log nothing";
}

TEST_F(Cli, aWriteIsReadBackWhateverTheLineDidAndTheRecordStatesOnlyWhatWasRead)
{
    // The device holds a factor of 1.234, which the page shows as 1.23.
    sim.control("poke 59 3F9DF3B6");
    ASSERT_EQ(run({"read-config", "found.kmc"}).code, 0);
    QFile found(path("found.kmc"));
    ASSERT_TRUE(found.open(QIODevice::ReadOnly));
    const QByteArray bytes = found.readAll();
    const qsizetype pipe = bytes.indexOf(QByteArray::fromHex("42480000"));
    const qsizetype factor = bytes.indexOf(QByteArray::fromHex("3F9DF3B6"));
    ASSERT_GT(pipe, 0);
    ASSERT_GT(factor, 0);
    QByteArray changed = bytes;
    changed.replace(pipe, 4, QByteArray::fromHex("427a0000"));    // pipe 50.0 -> 62.5
    changed.replace(factor, 4, QByteArray::fromHex("3F9D70A4"));  // factor 1.234 -> 1.23
    QFile file(path("new.kmc"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(changed);
    file.close();

    struct Case {
        const char* control;
        int code;
        const char* logged;  // the log's outcome
        const char* report;  // what the report says of the device afterwards
        const char* verdict;
    };
    const Case cases[] = {
        {"noack second", 0, "not acknowledged, read back: stored as sent", "Pipe size 50.0 62.5 changed",
         "Written and verified: the device stored the configuration as sent, although its acknowledgement did not "
         "arrive."},
        {"ignore on", 6, "not acknowledged, read back: unchanged", "Configuration unchanged.",
         "Not acknowledged, device unchanged (read back)."},
        {"clamp 7 42700000", 7, "acknowledged, device holds other values", "Pipe size 50.0 60.0 changed",
         "Written, differs: the device holds other values in Pipe size."},
        {"busy 2000", 9, "acknowledged, not verified", "The device's state is unknown", "State unknown"},
        {"hangup 400", 9, "acknowledged, not verified", "The device's state is unknown", "State unknown"},
    };
    for (const auto& c : cases) {
        for (const char* reset : {"poke 7 42480000", "poke 59 3F9DF3B6"})
            sim.control(reset);
        sim.control(c.control);
        QFile::remove(path("w.pdf"));
        const Outcome r = run({"write-config", "new.kmc", "--yes", "--report", "w.pdf"});
        ASSERT_FALSE(r.err.contains("is open but the device does not answer")) << c.control;
        // A line that drops may take the acknowledgement with it (6) or not (9): unknown either way.
        const bool dropped = QByteArray(c.control).startsWith("hangup") && r.code == 6;
        EXPECT_EQ(dropped ? 9 : r.code, c.code) << c.control << ": " << r.err.toStdString();
        // Every value as stored: the factor's change is seen although the page shows both as 1.23.
        EXPECT_TRUE(r.out.contains("Multiplication factor: 1.234 -> 1.23\n")) << r.out.toStdString();
        // The PDF's text layer keeps the font's ligatures.
        const QString report = pdfText(path("w.pdf"), {"-layout"})
                                   .replace(QChar(0xFB00), QLatin1String("ff"))
                                   .replace(QChar(0xFB01), QLatin1String("fi"))
                                   .replace(QChar(0xFB02), QLatin1String("fl"))
                                   .simplified();
        EXPECT_TRUE(report.contains(QString::fromUtf8(c.report))) << c.control << ": " << report.toStdString();
        EXPECT_TRUE(report.contains(QString::fromUtf8(c.verdict))) << c.control << ": " << report.toStdString();
        QFile log(logPath());
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        const QByteArray last = log.readAll().split('\n').at(1 + static_cast<int>(&c - cases));
        EXPECT_TRUE(last.contains(QByteArray("; ") + (dropped ? "not acknowledged, not read back: state unknown" : c.logged)
                                  + "; "))
            << c.control << ": " << last.toStdString();
        EXPECT_TRUE(last.contains("| Multiplication factor 1.234 -> 1.23")) << last.toStdString();
        if (c.code == 9) {
            EXPECT_FALSE(report.contains("unchanged")) << c.control << ": nothing read back, nothing called unchanged";
        }
        for (const char* reset : {"noack off", "ignore off", "clamp off", "busy 0", "hangup off"})
            sim.control(reset);
        // The device back (storing, or its line up again) before the next case.
        ASSERT_TRUE(QTest::qWaitFor([&] { return run({"identify"}).code == 0; }, 8000)) << c.control;
    }
}

TEST_F(Cli, commissionAsksTheDeviceWhoItIsOnceAndLeavesAReport)
{
    ASSERT_EQ(run({"read-config", "found.kmc"}).code, 0);
    QFile found(path("found.kmc"));
    ASSERT_TRUE(found.open(QIODevice::ReadOnly));
    QByteArray bytes = found.readAll();
    const qsizetype pipe = bytes.indexOf(QByteArray::fromHex("42480000"));
    ASSERT_GT(pipe, 0);
    bytes.replace(pipe, 4, QByteArray::fromHex("427a0000"));
    QFile file(path("new.kmc"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    const int identified = sim.count("request 0x50 Identify");
    const int versions = sim.count("ReadVersion");
    const Outcome r = run({"commission", "new.kmc", "--yes"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("model: KM210-DR-E1S2H1\ntype code: 17\n")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("Pipe size: 50.0 -> 62.5\n")) << r.out.toStdString();
    EXPECT_EQ(sim.count("request 0x50 Identify") - identified, 1) << "identified once, on connecting";
    EXPECT_EQ(sim.count("ReadVersion") - versions, 1);
    const QStringList reports = QDir(dir.path()).entryList({"*.pdf"});
    ASSERT_EQ(reports.size(), 1) << "the report, named by its number";
    EXPECT_TRUE(QRegularExpression("^\\d{8}-\\d{6}.*\\.pdf$").match(reports[0]).hasMatch()) << reports[0].toStdString();
    EXPECT_TRUE(r.err.contains(reports[0])) << r.err.toStdString();

    // A file of another variant of the family fits the block, but is said to be one.
    bytes[0] = 18;
    bytes.replace(pipe, 4, QByteArray::fromHex("42480000"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const Outcome other = run({"commission", "new.kmc", "--yes", "--report", "other.pdf"});
    EXPECT_EQ(other.code, 0) << other.err.toStdString();
    EXPECT_TRUE(other.err.contains("Note: the configuration is for KM210-DR-E1N4H1, the device is a KM210-DR-E1S2H1 of "
                                   "the same family"))
        << other.err.toStdString();
}


// What a report made by the command line says of the device beyond its
// values, read from the PDF's text as an auditor's tools read it: the type
// code, the time with its offset, the fields the variant lacks, and whether
// the report took a measurement at all.
TEST_F(Cli, aReportNamesTheTypeCodeTheZoneAbsentFieldsAndWhetherItMeasured)
{
    struct Case {
        int type;
        const char* language;
        QStringList command;
        const char* typeCode;
        int absentCells;  // analogue outputs, frequency and pulse outputs, fittings, as the variant lacks them
        const char* measurement;
    };
    const Case cases[] = {
        {3, "en", {"write-config", "found.kmc", "--yes", "--report", "r3.pdf"}, "Type code 3", 12,
         "This report holds no measurement."},
        {2, "de", {"write-config", "found.kmc", "--yes", "--report", "r2.pdf"}, "Typcode 2", 16,
         "Dieser Bericht enthält keine Messung."},
        {17, "fr", {"report", "r17.pdf"}, "Code de type 17", 20, "Interrogation de "},
    };
    const QRegularExpression time(QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d UTC[+-]\\d\\d:\\d\\d"));
    const char* absent[] = {"not on this variant or sensor", "nicht bei dieser Variante bzw. diesem Sensor",
                            "absent de cette variante ou de ce capteur"};
    for (const auto& c : cases) {
        sim.control("type " + std::to_string(c.type));
        ASSERT_EQ(run({"read-config", "found.kmc"}).code, 0) << c.type;
        const Outcome made = run(QStringList{"--language", c.language} + c.command);
        ASSERT_EQ(made.code, 0) << c.type << made.err.toStdString();
        const QString text = pdfText(path(c.command.last().toUtf8().constData())).simplified();
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.typeCode))) << c.type << text.toStdString();
        EXPECT_TRUE(time.match(text).hasMatch()) << c.type << ": the time with its offset from UTC";
        int cells = 0;
        for (const char* words : absent)
            cells += text.count(QString::fromUtf8(words));
        EXPECT_EQ(cells, c.absentCells) << c.type << text.toStdString();
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.measurement))) << c.type << text.toStdString();
    }
}

#ifndef _WIN32  // Windows programs end through their console's control handler (tools/windows/wine-check)
TEST_F(Cli, aRecordingEndedByASignalSaysSoAndIsWholeToItsLastRow)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const int before = sim.count("request 0x41 ReadErrorCode");
        start({"record", "--seconds", "60", "--interval", "0", "rec.csv"});
        ASSERT_TRUE(QTest::qWaitFor([&] { return sim.count("request 0x41 ReadErrorCode") >= before + 3; }, 10000));
        ::kill(static_cast<pid_t>(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(process.exitCode(), 11) << signal << process.readAllStandardError().toStdString();
        const QByteArray recording = fileContents(path("rec.csv"));
        EXPECT_TRUE(recording.startsWith("KM210-DR-E1S2H1\r\nDate; Time; "));
        ASSERT_TRUE(recording.endsWith("\r\n")) << signal;
        const QList<QByteArray> rows = recording.chopped(2).split('\n').mid(2);
        ASSERT_GE(rows.size(), 2) << signal;
        for (const QByteArray& row : rows)
            EXPECT_EQ(row.count(';'), rows.first().count(';')) << "a whole row: " << row.toStdString();
    }
}

TEST_F(Cli, aWriteInterruptedBySignalFinishesItsLogLineAndReportFirst)
{
    ASSERT_FALSE(writeConfigurations().isEmpty());
    // A slow device (within the read window): the write, its read-back and the report take their time.
    sim.control("latency 60");
    const std::pair<int, const char*> requests[] = {{SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}};
    int round = 0;
    for (const auto& [signal, name] : requests) {
        const QString report = QStringLiteral("interrupted-%1.pdf").arg(name);
        const int telegrams = sim.count("(telegram start)");
        start({"write-config", round++ % 2 ? "found.kmc" : "new.kmc", "--yes", "--report", report});
        process.closeWriteChannel();
        ASSERT_TRUE(QTest::qWaitFor([&] { return sim.count("(telegram start)") > telegrams; }, 10000)) << name;
        ::kill(static_cast<pid_t>(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(20000));
        const QString err = QString::fromUtf8(process.readAllStandardError());
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << name;
        EXPECT_EQ(process.exitCode(), 11) << name << err.toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("Interrupted (%1)").arg(name))) << err.toStdString();
        const QByteArray log = fileContents(logPath());
        EXPECT_TRUE(log.contains(QStringLiteral("| interrupted (%1), recorded before ending; acknowledged, read back; ")
                                     .arg(name).toLatin1()))
            << log.toStdString();
        const QByteArray pdf = fileContents(path(report.toLatin1()));
        EXPECT_TRUE(pdf.startsWith("%PDF-") && pdf.trimmed().endsWith("%%EOF")) << name;
    }
}

#endif

TEST_F(Cli, aRecordThatCannotBeKeptIsToldAndLeavesNoPartOfAFile)
{
    ASSERT_FALSE(writeConfigurations().isEmpty());
    const QByteArray old("an earlier report");
    const auto putOld = [&](const char* name) {
        QFile file(path(name));
        return file.open(QIODevice::WriteOnly) && file.write(old) == old.size();
    };
    ASSERT_TRUE(putOld("old.pdf") && putOld("old.kmc"));
    struct Case {
        QStringList arguments;
        qint64 sizeLimit;  // a full disk; 0 none
        int code;
        const char* says;
        const char* file;  // absent afterwards, or as it was when it existed
        bool sent;         // a configuration went to the device
    };
    const Case cases[] = {
        {{"report", "r.pdf"}, 20000, 8, "r.pdf cannot be written: File too large", "r.pdf", false},
        {{"report", "--force", "old.pdf"}, 20000, 8, "File too large", "old.pdf", false},
        {{"report", "old"}, 0, 8, "old.pdf exists; --force replaces it. Nothing sent.", "old.pdf", false},
        {{"write-config", "new.kmc", "--yes", "--report", "old.pdf"}, 0, 8, "old.pdf exists", "old.pdf", false},
        {{"read-config", "old.kmc"}, 100, 8, "old.kmc cannot be written: File too large", "old.kmc", false},
        {{"write-config", "new.kmc", "--yes", "--report", "w.pdf"}, 20000, 10, "its record is missing", "w.pdf", true},
    };
    for (const Case& c : cases) {
        if (c.sizeLimit > 0 && !trgui::testing::kFullDiskPlayable)
            continue;
        const int telegrams = sim.count("telegram 0x60");
        fileSizeLimit = c.sizeLimit;
        const Outcome r = run(c.arguments);
        const std::string what = c.arguments.join(' ').toStdString();
        EXPECT_EQ(r.code, c.code) << what << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << what << r.err.toStdString();
        EXPECT_EQ(fileContents(path(c.file)), QByteArray(c.file).startsWith("old") ? old : QByteArray()) << what;
        EXPECT_EQ(sim.count("telegram 0x60") > telegrams, c.sent) << what;
        EXPECT_TRUE(QDir(dir.path()).entryList({"*.tmp"}, QDir::Files | QDir::Hidden).isEmpty()) << what;
    }
    fileSizeLimit = 0;
    if (!trgui::testing::kFullDiskPlayable)
        return;
    EXPECT_TRUE(fileContents(logPath()).contains("Pipe size 50.0 -> 62.5; acknowledged, read back; Anna Weber; FT-101; "))
        << "the log line of the write whose report failed";

    // A log that cannot be written, with --quiet or not; a replaced report is whole.
    ASSERT_TRUE(QFile::remove(logPath()) && QFile::link("/dev/full", logPath()));
    const Outcome unlogged = run({"write-config", "found.kmc", "--yes", "--quiet", "--report", "old.pdf", "--force"});
    EXPECT_EQ(unlogged.code, 10) << unlogged.err.toStdString();
    EXPECT_TRUE(unlogged.err.contains("could not be written: No space left on device")) << unlogged.err.toStdString();
    const QByteArray replaced = fileContents(path("old.pdf"));
    EXPECT_TRUE(replaced.startsWith("%PDF-") && replaced.trimmed().endsWith("%%EOF"));
}

TEST_F(Cli, eachDeviceOfABatchHasItsOwnNamesAndReportNumber)
{
    ASSERT_FALSE(writeConfigurations().isEmpty());
    // Two devices written at once with the same tag; the second on a device path of its own.
    Simulator second{17};
    const QString secondPath = QString::fromStdString(second.linkPath());
    QProcess other;
    start({"write-config", "new.kmc", "--yes", "--report", "a.pdf", "--tag", "FT 7", "--serial", "SN-1",
           "--customer", "ACME", "--site", "Halle 3"});
    launch(other, {"--device", secondPath, "write-config", "new.kmc", "--yes", "--report", "b.pdf", "--tag", "FT 7",
                   "--technician", "B. Bauer"});
    for (QProcess* p : {&process, &other}) {
        ASSERT_TRUE(p->waitForFinished(30000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
    }
    const QList<QByteArray> lines = fileContents(logPath()).split('\n');
    ASSERT_EQ(lines.size(), 4);  // header, two entries, nothing after the last line end
    // Report number, serial number and customer close the line.
    const QRegularExpression number("; (\\d{8}-\\d{6}-FT-7-[0-9A-Z]{5}); (.*)\r$");
    struct Expected {
        const char* report;
        QString port;
        const char* names;  // technician and tag: the settings' technician where none is given
        const char* inReport;
        const char* party;  // serial number and customer
    };
    const Expected devices[] = {
        {"a.pdf", QStringLiteral("; COM1 ("), "; Anna Weber; FT 7; ", "Serial number SN-1", "SN-1; ACME"},
        {"b.pdf", "; " + secondPath + "; ", "; B. Bauer; FT 7; ", "Technician B. Bauer", "; "},
    };
    QStringList numbers;
    for (const Expected& d : devices) {
        const auto line = std::find_if(lines.begin(), lines.end(), [&](const QByteArray& l) { return l.contains(d.names); });
        ASSERT_NE(line, lines.end()) << d.names;
        EXPECT_TRUE(line->contains(d.port.toUtf8())) << line->toStdString();
        const auto match = number.match(QString::fromLatin1(*line));
        ASSERT_TRUE(match.hasMatch()) << line->toStdString();
        numbers << match.captured(1);
        EXPECT_EQ(match.captured(2).toStdString(), d.party);
        const QString shown = pdfText(path(d.report), {"-layout"}).simplified();
        EXPECT_TRUE(shown.contains(match.captured(1)) && shown.contains(d.inReport)) << shown.toStdString();
    }
    EXPECT_NE(numbers[0], numbers[1]);

    const Outcome identify = run({"--device", secondPath, "identify"});
    EXPECT_TRUE(identify.out.contains("\nport: " + secondPath + "\n")) << identify.out.toStdString();
}

// The record as an auditor reads it: measured values in the report's
// language, a tag kept as typed in the report and the log while the file
// takes a number that every system can name, a log line for a commission that
// had nothing to write, and an output that cannot be made refused before
// anything is sent.
TEST_F(Cli, theRecordKeepsNamesAsTypedAndNumbersInItsLanguage)
{
    ASSERT_FALSE(writeConfigurations().isEmpty());
    const QRegularExpression pointed(QStringLiteral("\\d\\.\\d")), comma(QStringLiteral("\\d,\\d{3} m/s"));
    for (const char* language : {"de", "fr"}) {
        const Outcome made = run({"--language", language, "report", "--force", "values.pdf"});
        ASSERT_EQ(made.code, 0) << made.err.toStdString();
        const QString text = pdfText(path("values.pdf")).simplified();
        const qsizetype from = text.indexOf(language == std::string("de") ? "Messwerte" : "Valeurs mesurées");
        const QString values = text.mid(from, text.indexOf(language == std::string("de") ? "Aktionen" : "Actions", from) - from);
        EXPECT_TRUE(comma.match(values).hasMatch()) << language << values.toStdString();
        EXPECT_FALSE(pointed.match(values).hasMatch()) << language << values.toStdString();
    }

    const int telegrams = sim.count("telegram 0x60");
    const Outcome unmade = run({"write-config", "new.kmc", "--yes", "--report", "missing/r.pdf"});
    EXPECT_EQ(unmade.code, 8) << unmade.err.toStdString();
    EXPECT_TRUE(unmade.err.contains("cannot be made") && unmade.err.contains("Nothing sent")) << unmade.err.toStdString();
    EXPECT_EQ(sim.count("telegram 0x60"), telegrams) << "nothing sent";

    const QString tag = QStringLiteral("FT/101;\"A\"");
    for (const char* outcome : {"acknowledged, read back", "nothing written: the device already held this configuration"}) {
        const QStringList before = QDir(dir.path()).entryList({"*.pdf"});
        const Outcome r = run({"commission", "new.kmc", "--yes", "--tag", tag, "--customer", QString::fromUtf8("Łódź; Werk 2")});
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        QStringList reports = QDir(dir.path()).entryList({"*.pdf"});
        for (const QString& old : before)
            reports.removeOne(old);
        ASSERT_EQ(reports.size(), 1) << outcome;
        const QString number = reports[0].chopped(4);
        EXPECT_TRUE(QRegularExpression("^\\d{8}-\\d{6}-FT-101;-A--[0-9A-Z]{5}$").match(number).hasMatch())
            << number.toStdString();
        EXPECT_TRUE(pdfText(path(reports[0].toUtf8().constData())).contains(tag)) << "the tag as typed";
        const QString last = QString::fromUtf8(fileContents(logPath())).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).last();
        const QString quotedTag = QStringLiteral(";\"FT/101;\"\"A\"\"\";\"") + QString(number).replace("\"", "\"\"") + "\"";
        EXPECT_TRUE(last.contains(QStringLiteral("; ") + outcome + QStringLiteral("; Anna Weber") + quotedTag
                                  + QString::fromUtf8("; ;\"Łódź; Werk 2\"")))
            << last.toStdString();
    }
}
