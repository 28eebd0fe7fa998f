// The real tr-gui-cli against the simulator: what each command prints and
// the exit status a script relies on.

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

#include <csignal>

using trgui::testing::Simulator;

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
        settings.write(QStringLiteral("[COM]\r\nCOMPORT=1\r\nCOM1=%1\r\nCOM3=/nonexistent/tty-km210\r\n[DATEN]\r\nLANGUAGE=1\r\n")
                           .arg(QString::fromStdString(sim.linkPath()))
                           .toUtf8());
    }

    QProcess* start(QStringList arguments)
    {
        process.setWorkingDirectory(dir.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", dir.filePath("data"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TRGUI_CLI_PATH), QStringList{"--settings", "TR-GUI.ini"} + arguments);
        process.waitForStarted();
        return &process;
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

    Simulator sim{17};
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
        {{"--device", "/nonexistent/x", "--language", "de", "identify"}, 3, "(/nonexistent/x) ist nicht vorhanden."},
        {{"identify", "extra"}, 2, "identify takes no file"},
        {{"record", "x.csv"}, 2, "record needs --seconds"},
        {{"--port", "1", "--device", "/dev/null", "identify"}, 2, "not both"},
        {{"frobnicate"}, 2, "unknown command"},
    };
    for (const auto& [arguments, code, says] : cases) {
        const Outcome r = run(arguments);
        EXPECT_EQ(r.code, code) << arguments.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(says))) << r.err.toStdString();
    }
    const Outcome ports = run({"ports"});
    EXPECT_EQ(ports.code, 0);
    EXPECT_TRUE(ports.out.startsWith("COM1   (" + QString::fromStdString(sim.linkPath()) + ")\n")) << ports.out.toStdString();
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
    ASSERT_EQ(run({"read-config", "found.kmc"}).code, 0);
    QFile found(path("found.kmc"));
    ASSERT_TRUE(found.open(QIODevice::ReadOnly));
    const QByteArray bytes = found.readAll();
    ASSERT_EQ(bytes.size(), 101);
    EXPECT_EQ(bytes[0], 17);

    // The same pipe at 62.5 instead of 50.0.
    QByteArray changed = bytes;
    const qsizetype pipe = changed.indexOf(QByteArray::fromHex("42480000"));
    ASSERT_GT(pipe, 0);
    changed.replace(pipe, 4, QByteArray::fromHex("427a0000"));
    QFile file(path("new.kmc"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(changed);
    file.close();
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
    QFile log(path("data/TR-GUI/service-log.csv"));
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
         "Written and verified"},
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
        QProcess text;
        text.start("pdftotext", {"-layout", path("w.pdf"), "-"});
        ASSERT_TRUE(text.waitForFinished(10000)) << c.control;
        // The PDF's text layer keeps the font's ligatures.
        const QString report = QString::fromUtf8(text.readAllStandardOutput())
                                   .replace(QChar(0xFB00), QLatin1String("ff"))
                                   .replace(QChar(0xFB01), QLatin1String("fi"))
                                   .replace(QChar(0xFB02), QLatin1String("fl"))
                                   .simplified();
        EXPECT_TRUE(report.contains(QString::fromUtf8(c.report))) << c.control << ": " << report.toStdString();
        EXPECT_TRUE(report.contains(QString::fromUtf8(c.verdict))) << c.control << ": " << report.toStdString();
        QFile log(path("data/TR-GUI/service-log.csv"));
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        const QByteArray last = log.readAll().split('\n').at(1 + static_cast<int>(&c - cases));
        EXPECT_TRUE(last.endsWith(QByteArray("; ") + (dropped ? "not acknowledged, not read back: state unknown" : c.logged)
                                  + "; \r"))
            << c.control << ": " << last.toStdString();
        EXPECT_TRUE(last.contains("| Multiplication factor 1.234 -> 1.23")) << last.toStdString();
        if (c.code == 9)
            EXPECT_FALSE(report.contains("unchanged")) << c.control << ": nothing read back, nothing called unchanged";
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
        QProcess reader;
        reader.start("pdftotext", {path(c.command.last().toUtf8().constData()), "-"});
        ASSERT_TRUE(reader.waitForFinished(10000));
        const QString text = QString::fromUtf8(reader.readAllStandardOutput()).simplified();
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.typeCode))) << c.type << text.toStdString();
        EXPECT_TRUE(time.match(text).hasMatch()) << c.type << ": the time with its offset from UTC";
        int cells = 0;
        for (const char* words : absent)
            cells += text.count(QString::fromUtf8(words));
        EXPECT_EQ(cells, c.absentCells) << c.type << text.toStdString();
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.measurement))) << c.type << text.toStdString();
    }
}

TEST_F(Cli, aRecordingEndedByCtrlCIsWholeToItsLastRow)
{
    start({"record", "--seconds", "60", "--interval", "0", "rec.csv"});
    ASSERT_TRUE(sim.waitForLog("request 0x41 ReadErrorCode", std::chrono::seconds(5)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sim.count("request 0x41 ReadErrorCode") >= 3; }, 10000));
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    QFile file(path("rec.csv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray recording = file.readAll();
    EXPECT_TRUE(recording.startsWith("KM210-DR-E1S2H1\r\nDate; Time; "));
    EXPECT_TRUE(recording.endsWith("\r\n"));
    EXPECT_GE(recording.count("\r\n"), 4);
}
