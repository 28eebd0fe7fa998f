// Every language file of the product parses, addresses only controls of its
// page, and gives every captioned control a caption in all three languages.

#include "pages/configuration/core/configuration_controls.h"
#include "pages/operation/core/operation_controls.h"
#include "pages/settings/core/settings_controls.h"
#include "pages/visualisation/core/visualisation_controls.h"
#include "support/fake_page.h"
#include "texts/text_table.h"

#include <QFile>

#include <gtest/gtest.h>

#include <set>

using namespace trgui;
using namespace trgui::texts;
using trgui::testing::FakePage;

namespace {

const std::string kLangDir = LANG_DIR "/";

struct PageFiles {
    const char* name;
    std::span<const ControlDef> controls;
    const char* labels;
    const char* help;
};

const PageFiles kPages[] = {
    {"operation", pages::operation::kControls, stem::OperationLabels, stem::OperationHelp},
    {"settings", pages::settings::kControls, stem::SettingsLabels, stem::SettingsHelp},
    {"configuration", pages::configuration::kControls, stem::ConfigurationLabels, stem::ConfigurationHelp},
    {"visualisation", pages::visualisation::kControls, stem::VisualisationLabels, stem::VisualisationHelp},
};

QByteArray readAll(const std::string& name)
{
    QFile file(QString::fromStdString(kLangDir + name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Ids of the headers of a file.
std::vector<int> headerIds(const QByteArray& bytes)
{
    std::vector<int> ids;
    for (const auto& line : splitLines(bytes)) {
        if (line.startsWith('#'))
            ids.push_back(line.mid(1).trimmed().toInt());
    }
    return ids;
}

} // namespace

TEST(LanguageFiles, areWindows1252WithCrLf)
{
    std::vector<const char*> stems{stem::Messages, stem::OperationErrorTexts, stem::OperationErrorHelp};
    for (const auto& page : kPages) {
        stems.push_back(page.labels);
        stems.push_back(page.help);
    }
    for (int language = 0; language < 3; ++language) {
        for (const char* stemName : stems) {
            const auto name = *textFileName(stemName, language);
            const QByteArray bytes = readAll(name);
            ASSERT_FALSE(bytes.isEmpty()) << name;
            EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n")) << name << ": every line ends in CR LF";
            EXPECT_EQ(bytes.indexOf("\xC3"), -1) << name << ": looks like UTF-8";
        }
    }
}

TEST(LanguageFiles, everyCaptionedControlHasALabelAndEveryIdBelongsToItsPage)
{
    for (int language = 0; language < 3; ++language) {
        for (const auto& page : kPages) {
            std::set<int> ids;
            for (const auto& c : page.controls)
                ids.insert(c.id);
            FakePage fake(ids);
            const auto labels = *textFileName(page.labels, language);
            const auto help = *textFileName(page.help, language);
            applyLabels(fake, kLangDir, labels);
            applyHelp(fake, kLangDir, help);
            EXPECT_TRUE(fake.boxes.empty()) << labels << " or " << help << " missing";

            for (int id : headerIds(readAll(labels)))
                EXPECT_TRUE(ids.count(id)) << labels << ": #" << id << " is not a control of the page";
            for (int id : headerIds(readAll(help)))
                EXPECT_TRUE(ids.count(id)) << help << ": #" << id << " is not a control of the page";
            const auto labelled = headerIds(readAll(labels));
            for (const auto& c : page.controls) {
                if (hasCaption(c)) {
                    EXPECT_NE(std::find(labelled.begin(), labelled.end(), c.id), labelled.end())
                        << labels << " has no caption for " << c.id;
                }
                EXPECT_FALSE(fake.controls[c.id].toolTip.isEmpty()) << help << " has no help for " << c.id;
            }
        }
    }
}

TEST(LanguageFiles, messagesAndErrorTablesAreComplete)
{
    for (int language = 0; language < 3; ++language) {
        FakePage page;
        MessageTable messages;
        loadMessages(page, messages, kLangDir, *textFileName(stem::Messages, language));
        for (int n = 1; n <= 15; ++n) {
            EXPECT_FALSE(messages.caption(n).isEmpty()) << "language " << language << " message " << n;
            if (n != 3 && n != 5 && n != 13) {
                EXPECT_FALSE(messages.entry(n)->at(1).isEmpty()) << "message " << n << " has no text";
            }
        }

        ErrorTables errors;
        loadErrorTexts(page, errors, kLangDir, *textFileName(stem::OperationErrorTexts, language));
        loadErrorHelp(page, errors, kLangDir, *textFileName(stem::OperationErrorHelp, language));
        EXPECT_TRUE(page.boxes.empty());
        for (std::size_t i = 0; i < ErrorCodeList.size(); ++i) {
            EXPECT_FALSE(errors.texts[i].isEmpty()) << "error text " << i;
            EXPECT_FALSE(errors.help[i].isEmpty()) << "error help " << i;
            if (ErrorCodeList[i] != 0) {
                EXPECT_TRUE(errors.texts[i].contains(QByteArray::number(ErrorCodeList[i])))
                    << "error text " << i << " names its code";
            }
        }
        EXPECT_TRUE(errors.texts[ErrorCodeList.size()].isEmpty()) << "exactly 14 entries";
    }
}

TEST(LanguageFiles, helpEntriesFitTheirLimits)
{
    for (int language = 0; language < 3; ++language) {
        for (const auto& page : kPages) {
            const auto lines = splitLines(readAll(*textFileName(page.help, language)));
            std::size_t entry = 0;
            for (const auto& line : lines) {
                entry = line.startsWith('#') ? 0 : entry + static_cast<std::size_t>(line.size());
                EXPECT_LE(entry, kHelpLimit) << *textFileName(page.help, language);
            }
        }
    }
}

TEST(LanguageFiles, messageLinesBreakBetweenPhrases)
{
    // A body line that ends in an article, a preposition or a conjunction
    // breaks a phrase in two; the box shows the line breaks as they are.
    const std::set<QString> dangling[3] = {
        {"der", "die", "das", "den", "dem", "des", "ein", "eine", "und", "oder", "mit", "von", "vom", "zu", "im", "in"},
        {"the", "a", "an", "and", "or", "of", "to", "with", "from", "in"},
        {"le", "la", "les", "l'", "un", "une", "de", "du", "des", "d'", "et", "ou", "à", "au", "dans"},
    };
    for (int language = 0; language < 3; ++language) {
        FakePage page;
        MessageTable messages;
        loadMessages(page, messages, kLangDir, *textFileName(stem::Messages, language));
        for (int n = 1; n <= 100; ++n) {
            for (int line = 1; line < 5; ++line) {
                const QString text = fromWindows1252(messages.entry(n)->at(static_cast<std::size_t>(line)));
                const QString last = text.section(QLatin1Char(' '), -1).toLower();
                EXPECT_FALSE(dangling[language].count(last))
                    << "language " << language << ", message " << n << ": " << text.toStdString();
            }
        }
    }
}
