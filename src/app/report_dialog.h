#pragma once

#include "core/settings_record.h"

#include <QDialog>

#include <array>
#include <functional>

class QLabel;
class QLineEdit;

namespace trgui::app {

// Who makes the service report, where, and for which instrument (its tag or
// serial number; the device reports none), in the program's language.
class ReportDialog : public QDialog {
    Q_OBJECT
public:
    enum Field { Technician, Site, InstrumentTag, FieldCount };

    explicit ReportDialog(int language, QWidget* parent = nullptr);

    QLineEdit* field(Field f) const { return fields_[f]; }
    // OK keeps the dialog open when a value is too long for the settings
    // file: the field then holds it cut, and a line says so.
    void accept() override;
    // Shows the dialog and waits; true for OK.
    bool ask();

    // Replaces showing the dialog (tests answer it without a window): act
    // fills the fields and calls accept() or reject().
    using Answerer = std::function<void(ReportDialog& dialog)>;
    static void setAnswerer(Answerer answerer);

private:
    std::array<QLineEdit*, FieldCount> fields_{};
    QLabel* cutNotice_ = nullptr;
};

enum class ReportNamesOutcome { Cancelled, Saved, NotSaved };

// Asks technician, site and instrument tag, prefilled from the settings file
// each time. OK takes them into settings and saves the file (NotSaved: the
// file could not be written; the names stay in settings for this run).
// Cancel changes nothing.
ReportNamesOutcome askReportNames(core::SettingsRecord& settings, QWidget* parent);

} // namespace trgui::app
