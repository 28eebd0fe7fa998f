#include "support/fake_page.h"
#include "texts/text_table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trgui::texts;
using trgui::testing::FakePage;

namespace {

class TextFiles : public ::testing::Test {
protected:
    std::string dirPath() const { return (dir.path() + "/").toStdString(); }
    void write(const char* name, const QByteArray& bytes)
    {
        QFile f(dir.path() + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QTemporaryDir dir;
    FakePage page{{1091, 1098, 1117, 1118, 1124}};
};

} // namespace

TEST_F(TextFiles, labelsLoseControlBytesButKeepBlanks)
{
    write("l.txt", "#1124\r\n Messung\tStart \r\n#9999\r\nno such control\r\n#0\r\nid zero\r\n#1118\r\n");
    applyLabels(page, dirPath(), "l.txt");
    EXPECT_EQ(page.controls[1124].text, " MessungStart ");
    EXPECT_EQ(page.controls[1118].text, "") << "a header without a line after it sets nothing";
    EXPECT_TRUE(page.boxes.empty());
}

TEST_F(TextFiles, labelsAreWindows1252)
{
    write("l.txt", "#1098\r\nStr\xF6mung \xE9t\xE9 \x80\r\n");
    applyLabels(page, dirPath(), "l.txt");
    EXPECT_EQ(page.controls[1098].text, QString::fromUtf8("Strömung été €"));
}

TEST_F(TextFiles, helpJoinsLinesUpToAnEmptyLine)
{
    write("h.txt", "#1117\r\nfirst line\r\nsecond line\r\n\r\n#1091\r\nonly line\r\n");
    applyHelp(page, dirPath(), "h.txt");
    EXPECT_EQ(page.controls[1117].toolTip, "first line\nsecond line");
    EXPECT_EQ(page.controls[1091].toolTip, "only line") << "end of file ends an entry";
}

TEST_F(TextFiles, longHelpIsCutAndLongLinesAreSplit)
{
    const QByteArray longLine(700, 'x');
    write("h.txt", "#1117\r\n" + longLine + "\r\n\r\n");
    applyHelp(page, dirPath(), "h.txt");
    EXPECT_EQ(page.controls[1117].toolTip.size(), 511);

    const auto lines = splitLines(QByteArray(600, 'a') + "\r\nb");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), 511);
    EXPECT_EQ(lines[1], QByteArray(89, 'a') + "\r\n");
    EXPECT_EQ(lines[2], "b");
}

TEST_F(TextFiles, missingFileShowsTheBoxOnceAndChangesNothing)
{
    page.controls[1124].text = "Messung Start";
    applyLabels(page, dirPath(), "Betrieb_labels_de.txt");
    ASSERT_EQ(page.boxes.size(), 1u);
    EXPECT_EQ(page.boxes[0].first, "Error");
    EXPECT_EQ(page.boxes[0].second, QString::fromUtf8("Kann File nicht öffnen!"));
    EXPECT_EQ(page.controls[1124].text, "Messung Start");
}

TEST_F(TextFiles, messagesAreCleanedAndEndAtEmptyOrHeaderLines)
{
    write("m.txt", "#7\r\n   Caption seven  \r\n body line\t \r\n\r\n"
                   "#0\r\nskipped\r\n#101\r\nskipped too\r\n#\r\nno number\r\n"
                   "#8\r\ncap8\r\nb1\r\nb2\r\nb3\r\nb4\r\nb5 dropped\r\n#9\r\ncap9\r\n");
    MessageTable table;
    table.entries[6][3] = "stale";
    loadMessages(page, table, dirPath(), "m.txt");
    EXPECT_EQ(table.caption(7), "Caption seven");
    EXPECT_EQ(table.rawText(7), "body line\r\r\r\r") << "stale lines of a reloaded entry are cleared";
    EXPECT_EQ(table.rawText(8), "b1\rb2\rb3\rb4\r");
    EXPECT_EQ(table.caption(9), "cap9");
    EXPECT_EQ(table.caption(1), "");

    showMessage(page, table, 7);
    ASSERT_EQ(page.boxes.size(), 1u);
    EXPECT_EQ(page.boxes[0].first, "Caption seven");
    EXPECT_EQ(page.boxes[0].second, "body line");
}

TEST_F(TextFiles, messagesWithOrWithoutBlankLinesBetweenEntriesAreTheSame)
{
    write("a.txt", "#1\r\nA\r\nx\r\n#2\r\nB\r\ny\r\n");
    write("b.txt", "#1\r\nA\r\nx\r\n\r\n\r\n#2\r\nB\r\ny\r\n\r\n");
    MessageTable a, b;
    loadMessages(page, a, dirPath(), "a.txt");
    loadMessages(page, b, dirPath(), "b.txt");
    EXPECT_EQ(a.entries, b.entries);
}

TEST_F(TextFiles, errorTablesFollowTheCodeOrderAndStopAt20)
{
    QByteArray texts, help;
    for (int i = 0; i < 22; ++i) {
        texts += "#" + QByteArray::number(i) + "\r\ntext " + QByteArray::number(i) + "\r\n";
        help += "#" + QByteArray::number(i) + "\r\nhelp " + QByteArray::number(i) + "\r\nmore\r\n\r\n";
    }
    write("t.txt", texts);
    write("h.txt", help);
    ErrorTables tables;
    loadErrorTexts(page, tables, dirPath(), "t.txt");
    loadErrorHelp(page, tables, dirPath(), "h.txt");
    EXPECT_EQ(tables.texts[1], "text 1");
    EXPECT_EQ(tables.texts[19], "text 19");
    EXPECT_EQ(tables.help[1], "help 1\r\nmore");

    ASSERT_TRUE(errorIndex(255));
    EXPECT_EQ(*errorIndex(255), 1);
    EXPECT_EQ(*errorIndex(0), 0);
    EXPECT_EQ(*errorIndex(60), 13);
    EXPECT_FALSE(errorIndex(7));
    EXPECT_FALSE(errorIndex(99));
}

TEST(SetAvailable, greyOrHideAndRestore)
{
    FakePage page{{1}};
    for (int greyOut : {0, 1}) {
        page.controls[1] = {{}, {}, false, false};
        setAvailable(page, 1, false, greyOut);
        EXPECT_TRUE(page.controls[1].visible);
        EXPECT_TRUE(page.controls[1].enabled);
    }
    setAvailable(page, 1, true, 1);
    EXPECT_TRUE(page.controls[1].visible);
    EXPECT_FALSE(page.controls[1].enabled);
    setAvailable(page, 1, true, 0);
    EXPECT_FALSE(page.controls[1].visible);
    EXPECT_TRUE(page.controls[1].enabled);
}

TEST(FileNames, onlyThreeLanguagesHaveFiles)
{
    EXPECT_EQ(textFileName(stem::OperationLabels, 0), "Betrieb_labels_de.txt");
    EXPECT_EQ(textFileName(stem::Messages, 2), "Messages_fr.txt");
    EXPECT_FALSE(textFileName(stem::Messages, 3));
    EXPECT_FALSE(textFileName(stem::Messages, -1));
}
