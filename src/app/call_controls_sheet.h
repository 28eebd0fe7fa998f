#pragma once

#include "core/device_connection.h"
#include "core/measurement_cycle.h"
#include "core/port_slot.h"
#include "core/service_report.h"
#include "core/settings_record.h"
#include "core/window_place.h"

#include <QBasicTimer>
#include <QDialog>

#include <memory>

class QLabel;
class QTabWidget;
class QToolButton;

namespace trgui::pages {
class CBetrieb;
class CGrafik;
class CKonfiguration;
class Einstellungen;
} // namespace trgui::pages

namespace trgui::app {

// The main window: a tabbed dialog with the four pages. It owns the settings,
// the connection to the device and the measurement cycle, and runs the cycle
// from its timer.
class CAllControlsSheet : public QDialog, private core::CycleHooks {
    Q_OBJECT
public:
    static constexpr int kTimerIntervalMs = 100;

    explicit CAllControlsSheet(QWidget* parent = nullptr);
    ~CAllControlsSheet() override;

    pages::Einstellungen* settingsPage() const { return settingsPage_; }
    pages::CKonfiguration* configurationPage() const { return configurationPage_; }
    pages::CBetrieb* operationPage() const { return operationPage_; }
    pages::CGrafik* visualisationPage() const { return visualisationPage_; }
    // The status line's text, as shown and read out.
    QString connectionStatus() const;
    QTabWidget* tabs() const { return tabs_; }
    const core::SettingsRecord& settings() const { return settings_; }
    const core::PortSlot& portSlot() const { return connection_.port(); }
    core::DeviceConnection& connection() { return connection_; }
    const core::MeasurementCycle& cycle() const { return cycle_; }

    void showAbout();
    // The service report: asks for technician, site and instrument tag (see
    // ReportDialog), then where to write it; Cancel writes nothing.
    void writeReport();
    core::ReportData reportData();
    // Every request and reply on the line is traced to this file (appended).
    void setTraceFile(const QString& path);
    // Saves the settings and the window's place now, as closing does; for an
    // end the process may not outlive (Windows' session end).
    bool keepSettings();

protected:
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The close box asks first while a recording is running.
    void closeEvent(QCloseEvent* event) override;

private:
    void initialiseDialog();
    // The status line on every page, and the Operation page's word while it has no values.
    void showConnectionStatus();

    // core::CycleHooks
    bool operationInitialised() const override;
    bool operationRecording() const override;
    void setOperationDeviceTypeCode(int code) override;
    void applyOperationAvailability(int code) override;
    void updateDisplay(const core::MeasurementRecord& record) override;
    void toggleRecordingIndicator() override;
    bool recordStartEnabled() const override;
    void enableRecordStart() override;
    void setValuesStale(bool stale) override;
    bool visualisationInitialised() const override;
    bool visualisationPlotting() const override;
    void addSample(const core::MeasurementRecord& record) override;
    void countDownSettleCounter() override;

    pages::Einstellungen* settingsPage_;
    pages::CKonfiguration* configurationPage_;
    pages::CBetrieb* operationPage_;
    pages::CGrafik* visualisationPage_;
    core::SettingsRecord settings_;
    // Held while the window is open; a copy started meanwhile opens beside it.
    core::RunningCopyMark runningCopy_{settings_.settingsFilePath};
    core::DeviceConnection connection_;
    core::MeasurementCycle cycle_;
    QTabWidget* tabs_ = nullptr;
    QToolButton* cornerMenu_ = nullptr;
    QLabel* statusLamp_ = nullptr;
    QLabel* statusText_ = nullptr;
    QBasicTimer timer_;
    bool dialogInitialised_ = false;
};

// The about box: the version, the licences of what the program is built
// with (in the program's language), and Qt's own about box.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(int language, QWidget* parent = nullptr);
};

} // namespace trgui::app
