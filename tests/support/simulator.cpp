#include "support/simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

namespace trgui::testing {

Simulator::Simulator(int deviceType, int latencyMs) : type_(deviceType), latencyMs_(latencyMs)
{
    link_ = (dir_.path() + "/COM1").toStdString();
    process_.setProcessChannelMode(QProcess::MergedChannels);
    start();
}

bool Simulator::start()
{
    log_.clear();
    process_.start(QStringLiteral(KM210_SIM_PATH),
                   {"--link", QString::fromStdString(link_), "--type", QString::number(type_), "--latency",
                    QString::number(latencyMs_), "--verbose"});
    started_ = process_.waitForStarted(5000) && waitForLog(" link ", std::chrono::seconds(5));
    return started_;
}

Simulator::~Simulator()
{
    stop();
}

void Simulator::stop()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.write("quit\n");
        if (!process_.waitForFinished(2000)) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }
}

std::string Simulator::log()
{
    process_.waitForReadyRead(0);
    log_ += process_.readAll().toStdString();
    return log_;
}

int Simulator::count(const std::string& text)
{
    const std::string all = log();
    int n = 0;
    for (auto at = all.find(text); at != std::string::npos; at = all.find(text, at + text.size()))
        ++n;
    return n;
}

bool Simulator::waitForLog(const std::string& text, std::chrono::milliseconds timeout)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeout.count()) {
        if (log().find(text) != std::string::npos)
            return true;
        process_.waitForReadyRead(20);
    }
    return log().find(text) != std::string::npos;
}

void Simulator::control(const std::string& line)
{
    const std::string confirmation = "control: " + line;
    const int before = count(confirmation);
    process_.write((line + "\n").c_str());
    process_.waitForBytesWritten(1000);
    QElapsedTimer clock;
    clock.start();
    while (count(confirmation) == before && clock.elapsed() < 3000)
        process_.waitForReadyRead(20);
}

} // namespace trgui::testing
