#include "pages/operation/core/report_values.h"

#include <gtest/gtest.h>

using namespace trgui::pages::operation;

// The report's live values of a poll: the contacts by the variant, each
// either set, clear or lacking ("—"), in the words of the page's files, and
// the page's own words when the files are missing.
TEST(ServiceReportLiveValues, contactsTheVariantLacksShowAsDash)
{
    trgui::core::MeasurementRecord record;
    record.velocity = 2.5f;
    record.velocityUnit = QStringLiteral("m/s");
    record.lowFlowSuppression = 7;
    record.errorCode = 20;
    struct Case {
        int code;
        std::uint8_t contacts;
        int language;
        QString lowFlow;
        QStringList notes;
    };
    const Case cases[] = {
        {18, 0x05, 0, QStringLiteral("7"),
         {"[x] Grenzkontakt 1", "[ ] Grenzkontakt 2", "[x] Betriebsbereit", "[x] FehlerKontakt", "Akt. Fehler: 20"}},
        {17, 0x0F, 0, QStringLiteral("7"),
         {"[x] Grenzkontakt 1", "[x] Grenzkontakt 2", "— Betriebsbereit", "— FehlerKontakt", "Akt. Fehler: 20"}},
        {1, 0x0F, 0, QStringLiteral("—"), {"— Grenzkontakt 1", "— Grenzkontakt 2", "— Betriebsbereit", "— FehlerKontakt",
                                           "Akt. Fehler: 20"}},
        {17, 0x01, 1, QStringLiteral("7"),
         {"[x] Limit contact 1", "[ ] Limit contact 2", "— Ready", "— Error contact", "Current error: Device error 20"}},
        {17, 0x01, 2, QStringLiteral("7"), {}},
    };
    for (const auto& c : cases) {
        // German from the built-in captions (no files there), English from the files.
        const auto texts = loadReportTexts(c.language == 0 ? "/nonexistent/" : LANG_DIR "/", c.language);
        record.contactBits = c.contacts;
        std::vector<trgui::core::ReportValue> values;
        QStringList notes;
        reportValues(record, c.code, texts, values, notes);
        if (!c.notes.isEmpty())
            EXPECT_EQ(notes, c.notes) << c.code;
        ASSERT_EQ(values.size(), 5u);
        EXPECT_EQ(values.front().current, c.language == 1 ? "2.500" : "2,500") << "the language's decimal separator";
        EXPECT_EQ(values.front().unit, "m/s");
        EXPECT_EQ(values.back().current, c.lowFlow) << c.code;
    }
}
