#include "texts/catalogue.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using namespace trgui::texts;

namespace {

QSet<QString> placeholders(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("%[0-9]+"));
    QSet<QString> found;
    for (auto it = number.globalMatch(text); it.hasNext();)
        found.insert(it.next().captured());
    return found;
}

} // namespace

// Every text is there in German, English and French with the same %n; the
// three read differently unless the table marks the text as shared, and a
// shared one is really shared by two of them.
TEST(Catalogue, EveryTextInEveryLanguage)
{
    ASSERT_GT(kTextCount, 0);
    for (int i = 0; i < kTextCount; ++i) {
        const auto id = static_cast<Text>(i);
        const QString de = text(id, 0), en = text(id, 1), fr = text(id, 2);
        SCOPED_TRACE(en.toStdString());
        EXPECT_FALSE(de.isEmpty() || en.isEmpty() || fr.isEmpty()) << i;
        const bool anyEqual = de == en || de == fr || en == fr;
        EXPECT_EQ(anyEqual, isShared(id)) << i;
        EXPECT_EQ(placeholders(de), placeholders(en)) << i;
        EXPECT_EQ(placeholders(de), placeholders(fr)) << i;
    }
}

TEST(Catalogue, GermanForAValueThatNamesNoLanguage)
{
    for (int language : {-1, 3, 99})
        EXPECT_EQ(text(Text::ServiceReport, language), QStringLiteral("Servicebericht")) << language;
    EXPECT_EQ(text(Text::ReportPageOf, 2), QStringLiteral("Page %1 sur %2"));
}
