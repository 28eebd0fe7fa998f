#pragma once

// The as-found / as-left service report: what the device held when the
// technician came, what it holds when they leave, its live values and what
// was done in this session. Built here as HTML; written as a PDF by the window.

#include "core/service_log.h"

#include <QDateTime>
#include <QString>

#include <vector>

namespace trgui::core {

struct ReportRow {
    QString label;
    QString asFound;  // the first read of this device in this session
    QString asLeft;   // after the last acknowledged write, else the last read
    QString unit;
};
struct ReportValue {
    QString label;
    QString current;
    QString maximum;  // empty where the device has none
    QString minimum;
    QString unit;
};
struct ReportData {
    QString program;  // name and version
    QDateTime at;
    QString technician;
    QString site;
    QString port;
    QString model;
    QString softwareVersion;
    std::vector<ReportRow> configuration;  // empty: not read in this session
    std::vector<ReportValue> live;         // empty: no poll in view
    QStringList liveNotes;                 // contacts, current error
    std::vector<ServiceEntry> actions;     // of this session, oldest first
};

// The report in language 0 German, 1 English, 2 French. Changed rows are
// marked in words and bold, so they show in black and white.
QString serviceReportHtml(const ReportData& data, int language);

} // namespace trgui::core
