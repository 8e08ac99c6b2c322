// The argument dialog as a real Qt window: geometry from the table, completion typed key by
// key, Esc, Enter, drops, expand/collapse.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include "dialog/form1_layout.h"
#include "qt/qt_rig.h"

namespace tarvo::test {
namespace {

using Words = std::vector<std::string>;

int px(int twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

// Where a control of the table stands: its twips in pixels, moved back inside the client area
// where the table has part of it outside (">" stands over the top right corner by design).
QRect placed(const ControlSpec& c, double dpi, int clientWidth) {
    QRect r(px(c.left, dpi), px(c.top, dpi), px(c.width, dpi), px(c.height, dpi));
    if (r.right() >= px(clientWidth, dpi)) r.moveRight(px(clientWidth, dpi) - 1);
    if (r.top() < 0) r.moveTop(0);
    return r;
}

TEST(QtDialog, EveryControlStandsWhereTheTableSaysAtEachDpi) {
    for (const double dpi : {96.0, 144.0, 120.0}) {
        QtRig rig(dpi);
        qt::QtForm& form = rig.dialog();
        const FormSpec& table = form1Layout();
        EXPECT_EQ(form.size(), QSize(px(table.clientWidth, dpi), px(table.clientHeight, dpi)));
        for (const ControlSpec& c : table.controls) {
            const QWidget* w = form.find(c.name)->widget();
            EXPECT_EQ(w->geometry(), placed(c, dpi, table.clientWidth)) << c.name << " at " << dpi;
            // What the form reads back is what the table wrote, not the rounded pixels.
            EXPECT_EQ(form.find(c.name)->width(), c.width) << c.name;
            EXPECT_EQ(form.find(c.name)->left(), c.left) << c.name;
            EXPECT_EQ(form.find(c.name)->top(), c.top) << c.name;
        }
        // ">" in the top right corner, whole.
        const QRect width = form.find("CMD_WIDTH")->widget()->geometry();
        EXPECT_EQ(width.topRight(), QPoint(form.width() - 1, 0)) << dpi;
        EXPECT_EQ(form.window().width(), kCollapsedWidth);
    }
}

TEST(QtDialog, CaptionsAccessKeysDefaultButtonAndTabOrder) {
    QtRig rig;
    EXPECT_EQ(static_cast<QPushButton*>(rig.widget("CMD_OK"))->text(), "&OK");
    EXPECT_TRUE(static_cast<QPushButton*>(rig.widget("CMD_OK"))->isDefault());
    EXPECT_EQ(static_cast<QCheckBox*>(rig.widget("Check1"))->text(), "&CMD");
    EXPECT_EQ(rig.dialog().windowTitle(), "Tarvolin");
    EXPECT_EQ(rig.combo()->completer(), nullptr);  // the core completes, never Qt

    rig.program.start(rig.target());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.dialog()));
    EXPECT_EQ(QApplication::focusWidget(), rig.combo());
    Words order;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.push_back(QApplication::focusWidget()->objectName().toStdString());
    }
    EXPECT_EQ(order,
              (Words{"Check1", "CMD_OK", "CMD_Cancel", "CMD_Browse", "CMD_About", "CMD_WIDTH"}));
}

struct QtDialogLoaded : ::testing::Test {
    void SetUp() override {
        rig.setMru("[run.sh]\r\n0=0\r\n1=-v x\r\n2=Hello World\r\n3=help\r\n");
        rig.program.start(rig.target());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.dialog()));
        rig.combo()->setFocus();
    }
    std::string text() { return rig.edit()->text().toStdString(); }
    std::string selected() { return rig.edit()->selectedText().toStdString(); }
    QtRig rig;
};

TEST_F(QtDialogLoaded, CompletionFollowsEachKeyAndBackspaceNeverCompletes) {
    EXPECT_EQ(static_cast<QLabel*>(rig.widget("Label1"))->text(), "run.sh:");
    EXPECT_EQ(rig.combo()->count(), 3);
    EXPECT_EQ(text(), "");  // loading the list leaves the box empty

    QTest::keyClick(rig.combo(), 'h');
    // The first in list order, letter case ignored; the typed letter keeps its case.
    EXPECT_EQ(text(), "hello World");
    EXPECT_EQ(selected(), "ello World");
    QTest::keyClick(rig.combo(), 'e');
    EXPECT_EQ(text(), "hello World");
    EXPECT_EQ(selected(), "llo World");
    QTest::keyClick(rig.combo(), 'l');
    QTest::keyClick(rig.combo(), 'p');
    EXPECT_EQ(text(), "help");
    EXPECT_EQ(selected(), "");
    QTest::keyClick(rig.combo(), Qt::Key_Backspace);
    EXPECT_EQ(text(), "hel");  // no completion back to "help" or "Hello World"
    QTest::keyClick(rig.combo(), Qt::Key_Backspace);
    EXPECT_EQ(text(), "he");
    QTest::keyClick(rig.combo(), 'z');  // nothing begins so: typed as it is
    EXPECT_EQ(text(), "hez");
    EXPECT_EQ(selected(), "");
}

TEST_F(QtDialogLoaded, TypedLettersKeepTheirCaseAndAreWhatRuns) {
    QTest::keyClick(rig.combo(), 'H', Qt::ShiftModifier);
    EXPECT_EQ(text(), "Hello World");
    rig.edit()->clear();
    QTest::keyClick(rig.combo(), '-');
    QTest::keyClick(rig.combo(), 'V', Qt::ShiftModifier);
    EXPECT_EQ(text(), "-V x");  // not "-v x": only the rest comes from the entry
    EXPECT_EQ(selected(), " x");
    QTest::keyClick(rig.combo(), Qt::Key_Delete);
    QTest::keyClick(rig.combo(), Qt::Key_Return);
    ASSERT_EQ(rig.shell.requests.size(), 1u);
    EXPECT_EQ(rig.shell.requests[0].arguments, (Words{"-V"}));
    EXPECT_NE(rig.mru().find("1=-V\r\n2=-v x\r\n"), std::string::npos);
}

TEST_F(QtDialogLoaded, EnterRecordsTheTextAndStartsTheFileWithItsWords) {
    QTest::keyClicks(rig.combo(), R"(-x "a b" c)");
    EXPECT_EQ(text(), R"(-x "a b" c)");
    QTest::keyClick(rig.combo(), Qt::Key_Return);
    ASSERT_EQ(rig.shell.requests.size(), 1u);
    EXPECT_EQ(rig.shell.requests[0].file, rig.temp.file("run.sh"));
    EXPECT_EQ(rig.shell.requests[0].directory, rig.temp.path() + "/");
    EXPECT_EQ(rig.shell.requests[0].arguments, (Words{"-x", "a b", "c"}));
    EXPECT_EQ(rig.host.ended, 1);
    EXPECT_NE(rig.mru().find("1=-x \"a b\" c\r\n2=-v x\r\n"), std::string::npos);
}

TEST_F(QtDialogLoaded, EscUnloadsTheDialogAndEndsTheProgram) {
    QTest::keyClicks(rig.combo(), "abc");
    QTest::keyClick(rig.combo(), Qt::Key_Escape);
    EXPECT_FALSE(rig.dialog().isVisible());
    EXPECT_EQ(rig.host.dialogUnloads, 1);
    EXPECT_EQ(rig.finished, 1);
    EXPECT_TRUE(rig.shell.requests.empty());
}

void dropOn(QWidget* target, QMimeData* data) {
    const QPoint at(2, 2);
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

void dropFiles(QWidget* target, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
    data.setUrls(urls);
    dropOn(target, &data);
}

TEST_F(QtDialogLoaded, FilesDroppedAnywhereAddTheFirstPathQuoted) {
    dropFiles(&rig.dialog(), {"/tmp/one.txt", "/tmp/two.txt"});
    EXPECT_EQ(text(), "/tmp/one.txt");
    dropFiles(rig.widget("CMD_OK"), {"/tmp/My File.txt"});
    EXPECT_EQ(text(), "/tmp/one.txt'/tmp/My File.txt'");
    rig.edit()->clear();
    for (const char* name :
         {"cmbArg", "Check1", "CMD_Cancel", "CMD_Browse", "CMD_About", "Label1", "CMD_WIDTH"}) {
        rig.edit()->clear();
        dropFiles(rig.widget(name), {"/x/ü y"});
        EXPECT_EQ(text(), "'/x/ü y'") << name;
    }
    rig.edit()->clear();
    dropFiles(rig.edit(), {"/x/edit"});  // the box's own edit field
    EXPECT_EQ(text(), "/x/edit");
    EXPECT_EQ(rig.edit()->cursorPosition(), rig.edit()->text().size());

    // A web address or a text is no local file: the buttons take nothing from it.
    rig.edit()->clear();
    QMimeData web;
    web.setUrls({QUrl("https://example.com/a")});
    dropOn(rig.widget("CMD_OK"), &web);
    QMimeData plain;
    plain.setText("words");
    dropOn(rig.widget("CMD_Cancel"), &plain);
    EXPECT_EQ(text(), "");
}

TEST_F(QtDialogLoaded, ExpandAndCollapseFollowTheScreenAndComeBackExactly) {
    const FormSpec& table = form1Layout();
    const double screenTwips = rig.dialog().screen()->geometry().width() * 1440.0 / 96;
    QTest::mouseClick(rig.widget("CMD_WIDTH"), Qt::LeftButton);
    const WidthLayout wide = expandedWindow(screenTwips);
    EXPECT_EQ(rig.dialog().window().width(), wide.windowWidth);
    EXPECT_EQ(rig.dialog().width(), px(wide.windowWidth - 90, 96));
    EXPECT_EQ(static_cast<QPushButton*>(rig.widget("CMD_WIDTH"))->text(), "<");
    const int grow = wide.windowWidth - kCollapsedWidth;
    EXPECT_EQ(rig.combo()->width(), px(table.find("cmbArg")->width + grow, 96));
    EXPECT_EQ(rig.widget("CMD_OK")->x(), px(table.find("CMD_OK")->left + grow, 96));
    EXPECT_EQ(rig.widget("CMD_WIDTH")->geometry().topRight(), QPoint(rig.dialog().width() - 1, 0));

    QTest::mouseClick(rig.widget("CMD_WIDTH"), Qt::LeftButton);
    EXPECT_EQ(rig.dialog().window().width(), kCollapsedWidth);
    EXPECT_EQ(rig.dialog().width(), px(table.clientWidth, 96));
    EXPECT_EQ(static_cast<QPushButton*>(rig.widget("CMD_WIDTH"))->text(), ">");
    for (const ControlSpec& c : table.controls)
        EXPECT_EQ(rig.dialog().find(c.name)->widget()->geometry(),
                  placed(c, 96, table.clientWidth))
            << c.name;
}

}  // namespace
}  // namespace tarvo::test
