#include "support/simulator.h"

#include <QElapsedTimer>

namespace trgui::testing {

Simulator::~Simulator()
{
    stop();
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
        waitForOutput(20);
    }
    return log().find(text) != std::string::npos;
}

void Simulator::control(const std::string& line)
{
    const std::string confirmation = "control: " + line;
    const int before = count(confirmation);
    send(line);
    QElapsedTimer clock;
    clock.start();
    while (count(confirmation) == before && clock.elapsed() < 3000)
        waitForOutput(20);
}

} // namespace trgui::testing
