// What a screen reader reads is what the window shows, in every language.

#include "app/call_controls_sheet.h"
#include "pages/configuration/ckonfiguration.h"
#include "pages/operation/cbetrieb.h"
#include "pages/settings/einstellungen.h"
#include "pages/visualisation/cgrafik.h"
#include "support/device_idle.h"
#include "support/program_directory.h"
#include "support/simulator.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QTest>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <algorithm>

using namespace trgui;
using trgui::testing::ProgramDirectory;
using trgui::testing::Simulator;

namespace {

QString accessibleName(QWidget* w)
{
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

// Every control of the page: a text it shows is its name; a field or list is
// named by the labels beside it.
void expectNamesAsShown(pages::PageBase* page, const std::string& where)
{
    const auto controls = page->findChildren<QWidget*>(QRegularExpression(QStringLiteral("^ctl\\d+$")));
    QSet<QString> labels;
    for (auto* w : controls) {
        if (auto* l = qobject_cast<QLabel*>(w); l && !l->text().isEmpty())
            labels.insert(l->text());
    }
    for (auto* w : controls) {
        const QString name = accessibleName(w);
        const std::string what = where + " " + w->objectName().toStdString() + ": \"" + name.toStdString() + "\"";
        if (auto* l = qobject_cast<QLabel*>(w); l && !l->text().isEmpty()) {
            EXPECT_EQ(name, l->text()) << what;
        } else if (auto* b = qobject_cast<QAbstractButton*>(w); b && !b->text().isEmpty()) {
            EXPECT_EQ(name, QString(b->text()).remove(QLatin1Char('&'))) << what;
        } else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w)) {
            // A list's name on Linux is its current entry (its label is told by a
            // relation); elsewhere, as a field's, the name its labels give it.
            auto* list = qobject_cast<QComboBox*>(w);
            const QString given = list ? w->accessibleName() : name;
            if (list && !list->currentText().isEmpty()) {
                EXPECT_TRUE(name == list->currentText() || name == given) << what;
            }
            bool fromLabels = labels.contains(given);
            for (const auto& label : labels)
                fromLabels = fromLabels || (given.startsWith(label + ' ') && labels.contains(given.mid(label.size() + 1)));
            EXPECT_TRUE(fromLabels) << what << " given \"" << given.toStdString() << "\"";
        }
    }
}

void expectAllPages(app::CAllControlsSheet& sheet, const std::string& where)
{
    expectNamesAsShown(sheet.settingsPage(), where + " settings");
    expectNamesAsShown(sheet.configurationPage(), where + " configuration");
    expectNamesAsShown(sheet.operationPage(), where + " operation");
    expectNamesAsShown(sheet.visualisationPage(), where + " visualisation");
}

} // namespace

TEST(Accessibility, namesAreTheTextsShownInEachLanguageAndAfterAChange)
{
    Simulator sim(18);
    for (int language : {0, 1, 2}) {
        ProgramDirectory dir;
        dir.writeSettings({"[COM]", "COMPORT=1", "COM1=" + sim.linkPath(), "[DATEN]",
                           "LANGUAGE=" + std::to_string(language)});
        app::CAllControlsSheet sheet;
        sheet.show();
        ASSERT_TRUE(trgui::testing::waitForDeviceIdle(sheet));
        for (int tab : {1, 2, 3})
            sheet.tabs()->setCurrentIndex(tab);
        ASSERT_TRUE(QTest::qWaitFor([&] { return sheet.operationPage()->recordStartEnabled(); }, 15000));
        const std::string where = "language " + std::to_string(language);
        expectAllPages(sheet, where);
        if (language == 1) {
            EXPECT_EQ(accessibleName(sheet.operationPage()->control(1091)), "Flow velocity Actual");
            EXPECT_EQ(accessibleName(sheet.operationPage()->control(1103)), "l/min");
        }

        if (language == 0) {  // the technician switches to French
            sheet.settingsPage()->control<QComboBox>(1004)->setCurrentIndex(2);
            dir.takeBoxes();
            expectAllPages(sheet, "switched to French");
            EXPECT_EQ(accessibleName(sheet.settingsPage()->control(1007)), QString::fromUtf8("connecté"));
        }
    }
}

namespace {

// The widgets of page that Tab reaches, in the order it reaches them.
std::vector<QWidget*> tabChain(pages::PageBase* page)
{
    std::vector<QWidget*> chain;
    for (QWidget* w = page->nextInFocusChain(); w != page; w = w->nextInFocusChain()) {
        if (page->isAncestorOf(w) && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
            chain.push_back(w);
    }
    return chain;
}

QPoint at(QWidget* w)
{
    return w->mapTo(w->window(), QPoint(0, 0));
}

} // namespace

TEST(Keyboard, tabFollowsTheScreenAndAPageSwitchedToHasTheFocusOnItsFirstControl)
{
    Simulator sim(17);
    ProgramDirectory dir;
    dir.writeSettings({"[COM]", "COMPORT=1", "COM1=" + sim.linkPath()});
    app::CAllControlsSheet sheet;
    sheet.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    ASSERT_TRUE(trgui::testing::waitForDeviceIdle(sheet));
    EXPECT_TRUE(QTest::qWaitFor([&] { return sheet.settingsPage()->isAncestorOf(QApplication::focusWidget()); }, 2000))
        << "at start-up";

    sheet.tabs()->setCurrentIndex(1);
    auto* configuration = sheet.configurationPage();
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == configuration->control(1033); }, 2000))
        << "HW-Version, the first field";
    // The fields: the left column top to bottom, then the right one, then the buttons left to right.
    const auto chain = tabChain(configuration);
    ASSERT_GT(chain.size(), 10u);
    const int middle = configuration->width() / 2;
    for (std::size_t i = 1; i < chain.size(); ++i) {
        const QPoint a = at(chain[i - 1]);
        const QPoint b = at(chain[i]);
        const bool buttons = qobject_cast<QAbstractButton*>(chain[i - 1]) && qobject_cast<QAbstractButton*>(chain[i])
                          && !qobject_cast<QCheckBox*>(chain[i]);
        const bool sameColumn = (a.x() < middle) == (b.x() < middle);
        const bool ok = buttons ? b.x() > a.x() : sameColumn ? b.y() > a.y() : b.x() > a.x() || b.y() > a.y();
        EXPECT_TRUE(ok) << chain[i - 1]->objectName().toStdString() << " -> " << chain[i]->objectName().toStdString();
    }

    sheet.tabs()->setCurrentIndex(2);
    auto* operation = sheet.operationPage();
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == operation->control(1112); }, 2000))
        << "the first list, not a button that Enter would press";
    ASSERT_TRUE(QTest::qWaitFor([&] { return operation->control(1110)->isVisible(); }, 2000));
    const auto ops = tabChain(operation);
    const auto index = [&](int id) { return std::find(ops.begin(), ops.end(), operation->control(id)) - ops.begin(); };
    // Reset Tot., Reset Max, Reset Min stand left to right.
    EXPECT_LT(index(1111), index(1109));
    EXPECT_LT(index(1109), index(1110));
    EXPECT_LT(at(operation->control(1111)).x(), at(operation->control(1109)).x());
}
