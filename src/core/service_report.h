#pragma once

// The as-found / as-left service report: what the device held when the
// technician came, what it holds when they leave, its live values and what
// was done in this session. Built here as HTML; written as a PDF by the window.

#include "core/service_log.h"

#include <QDateTime>
#include <QString>

#include <vector>

namespace trgui::core {

// One configuration field, each value with its own unit: a write that
// changes a unit changes what the other numbers mean.
struct ReportRow {
    QString label;
    QString asFound;  // the first read of this device in this session
    QString asFoundUnit;
    QString asLeft;   // the last read or read-back of this device
    QString asLeftUnit;
    bool changed = false;  // the field's bytes differ between the two
    // False: the variant or its sensor has no such field; its bytes mean
    // nothing, so the row says so instead of showing values, unless they
    // changed: then it shows both, marked as a change without effect.
    bool available = true;
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
    QDateTime at;     // printed with its offset from UTC
    QString number;   // see reportNumber
    QString technician;
    QString site;
    QString instrumentTag;  // tag or serial number, as the technician gave it
    QString serialNumber;   // where given apart from the tag
    QString customer;
    QString port;
    bool deviceAnswering = false;  // false: no device, so nothing of one below
    QString model;
    int typeCode = 0;  // the device's type code; 0: not known
    QString softwareVersion;
    std::vector<ReportRow> configuration;  // empty: not read in this session
    QStringList configurationNotes;        // e.g. a write the device did not store as sent
    bool asLeftKnown = true;               // false: the last write could not be read back
    // False: this kind of report takes no measurement (a configuration
    // write), so it says that rather than that a poll is missing.
    bool measured = true;
    std::vector<ReportValue> live;         // empty: no recent poll
    QDateTime liveAt;                      // when that poll was delivered
    QStringList liveNotes;                 // contacts, current error
    std::vector<ServiceEntry> actions;     // of this session, oldest first
    // What became of the session's write, in words, printed above the
    // signatures; empty: no verdict line.
    QString verdict;
};

// A report's number: date and time to the second, the instrument tag when
// there is one, and five random characters, so that reports made in the same
// second (a batch written in parallel, two stations) do not share one
// ("20261208-140215-FT-101-K7QD2"). It names the report's file, so blanks and
// what no Windows or Linux file name may hold (< > : " / \ | ? * and control
// characters) become "-" in it; ";" and letters stay as typed.
QString reportNumber(const QDateTime& at, const QString& instrumentTag);

// "2026-12-09 14:02:15 UTC+01:00": the time as the clock showed it and its
// offset from UTC, the same in every language.
QString reportDateTime(const QDateTime& at);

// The report in language 0 German, 1 English, 2 French. Changed rows are
// marked in words and bold, so they show in black and white. A report without
// a device or without a configuration read says so at its top. A field the
// device does not have says so in place of its values. The verdict and the
// signature blocks (role, name in print, date, signature) close it in one
// table without heading rows, so that they stay on one page. Its <title>
// is the line to repeat at the top of every printed page (program, model,
// number), and a <meta name="page-numbers"> gives the words of the page
// number at the bottom ("%1" the page, "%2" the count).
QString serviceReportHtml(const ReportData& data, int language);

} // namespace trgui::core
