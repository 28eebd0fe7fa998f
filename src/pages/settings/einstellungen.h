#pragma once

#include "core/device_connection.h"
#include "device/serial_port.h"
#include "pages/page_base.h"
#include "pages/settings/core/port_problem.h"

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
    void setShared(core::SettingsRecord* settings, core::DeviceConnection* connection,
                   std::array<PageBase*, 3> otherPages);
    const QString& tabTitle() const { return tabTitle_; }

    // Replaces the port with COM<number> and identifies the device.
    void identifyDevice(int number);
    // Each COM entry with its device, what the system knows of it, and whether it is there.
    void refreshPortList();
    // Shows the COM entries and, after them, the adapters offered on free COM names.
    void showPortEntries(const std::vector<device::PortEntry>& entries);
    // Maps COM<number> to device in [COM] of the settings file, chooses it and connects.
    void assignAdapter(int number, const std::string& device);
    void validateRefreshRate();
    void changeLanguage();
    void reloadTexts() override;

    const texts::MessageTable& messages() const { return messages_; }

signals:
    // Every page has its texts in the new language; the window follows.
    void languageChanged();

protected:
    void initialisePage() override;

private:
    void buildLayout();
    // The connection's news: the lamp, the model and version fields, the problem line.
    void showIdentity();
    void showReach();
    void showLamps();
    QString notPresentText() const;
    // Says beside the lamp why the device cannot be reached, or nothing.
    void showProblem(std::optional<settings::PortProblem> problem, const device::OpenFailure& failure = {});

    QString tabTitle_;
    core::DeviceConnection* connection_ = nullptr;
    std::array<PageBase*, 3> otherPages_{};
    QLabel* problemLine_ = nullptr;
    std::optional<settings::PortProblem> problem_;  // shown now
    device::OpenFailure failure_;
    QString lampHelp_;  // the red lamp's help, its tooltip while nothing is wrong
    texts::MessageTable messages_;
};

} // namespace trgui::pages
