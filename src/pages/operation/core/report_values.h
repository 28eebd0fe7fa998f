#pragma once

// The live values of the service report, window-free: what the Operation page
// would show of a delivered poll, in its words, whether the page exists or not.

#include "core/measurement_record.h"
#include "core/service_report.h"
#include "texts/text_table.h"

#include <QString>
#include <QStringList>

#include <map>
#include <string>
#include <vector>

namespace trgui::pages::operation {

// The Operation page's captions (by control id) and the device's error texts
// in one language, read from the page's language files. A caption the files
// lack keeps the page's built-in one; an error text they lack stays empty.
struct ReportTexts {
    int language = 0;  // of the texts, and of the numbers written with them
    std::map<int, QString> captions;
    texts::ErrorTables errors;
};
ReportTexts loadReportTexts(const std::string& programDirectory, int language);

// The values of one complete poll of a device of type code, with the page's
// digits in the language's numbers ("9,000" in German and French), and its contacts and current error as notes: "[x]" set, "[ ]" clear,
// "—" for a contact the variant lacks (as for its low-flow suppression).
void reportValues(const core::MeasurementRecord& record, int deviceTypeCode, const ReportTexts& texts,
                  std::vector<core::ReportValue>& values, QStringList& notes);

} // namespace trgui::pages::operation
