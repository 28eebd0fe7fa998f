#include "support/simulator.h"

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

void Simulator::waitForOutput(int ms)
{
    process_.waitForReadyRead(ms);
}

void Simulator::send(const std::string& line)
{
    process_.write((line + "\n").c_str());
    process_.waitForBytesWritten(1000);
}

} // namespace trgui::testing
