#pragma once

#include "page_base.h"
#include "page_exchanges.h"
#include "port_problem.h"
#include "port_slot.h"
#include "serial_port.h"

#include <QTimer>

class QLabel;

#include <array>
#include <optional>
#include <vector>

namespace trgui::pages {

// The Settings page: COM port and device identification, language of all
// pages, refresh rate of the measurement cycle, grey-out option.
class Einstellungen : public PageBase {
    Q_OBJECT
public:
    explicit Einstellungen(QWidget* parent = nullptr);

    // otherPages: Configuration, Operation and Visualisation page, in the
    // order their texts are reloaded on a language change.
    void setShared(app::SettingsRecord* settings, app::PortSlot* port, std::array<PageBase*, 3> otherPages);
    const QString& tabTitle() const { return tabTitle_; }

    // Replaces the port with COM<number> and identifies the device.
    void identifyDevice(int number);
    // Ports opened from now on are traced to this file.
    void setTraceFile(const QString& path) { traceFile_ = path; }
    // Time between attempts to open a lost port again.
    static constexpr int kReconnectMs = 2000;
    // How often the port list looks again which adapters are there.
    static constexpr int kPortListRefreshMs = 2000;
    // Each COM entry with its device, what the system knows of it, and whether it is there.
    void refreshPortList();
    // The same, with the system asked on the device thread.
    void watchPorts();
    bool reconnecting() const;
    // The cycle identified the device as code: a model other than the one
    // shown (another device on the same port) is shown, and its software
    // version asked for.
    void followIdentification(int code);
    void validateRefreshRate();
    void changeLanguage();
    void reloadTexts() override;

    const texts::MessageTable& messages() const { return messages_; }

protected:
    void initialisePage() override;

private:
    void buildLayout();
    void showConnected(bool connected);
    // The outcome of opening and identifying; none when the port did not open.
    void showIdentification(const device::Identification* id);
    // The port failed: red lamp, and the same COM port is tried again every 2 s.
    void portLost();
    // Opens COM<number> and identifies the device; a port that does not
    // open is tried again every 2 s.
    void openAndIdentify(int number);
    QString notPresentText() const;
    void showPortEntries(const std::vector<device::PortEntry>& entries);
    // The port is open and the device was silent: ask it again every 2 s.
    void identifyAgain();
    // Says beside the lamp why the device cannot be reached, or nothing.
    void showProblem(std::optional<PortProblem> problem, const device::OpenFailure& failure = {});

    QString tabTitle_;
    app::PortSlot* port_ = nullptr;
    std::array<PageBase*, 3> otherPages_{};
    QTimer* reconnect_ = nullptr;
    QTimer* reidentify_ = nullptr;
    bool waitingForAnswer_ = false;  // the open port's device has not answered yet
    bool portWatchPending_ = false;
    int portNumber_ = 0;  // the COM port last chosen
    QString traceFile_;
    QLabel* problemLine_ = nullptr;
    std::optional<PortProblem> problem_;  // shown now
    device::OpenFailure failure_;
    QString lampHelp_;  // the red lamp's help, its tooltip while nothing is wrong
    texts::MessageTable messages_;
};

} // namespace trgui::pages
