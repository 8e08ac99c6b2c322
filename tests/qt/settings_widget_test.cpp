// The settings window as a real Qt window, the three start modes, and the hand-over between
// the two windows.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>

#include "qt/qt_rig.h"
#include "settings/settings_layout.h"

namespace tarvo::test {
namespace {

using Words = std::vector<std::string>;

int px(int twips) {
    return static_cast<int>(std::lround(twips * 96 / 1440.0));
}

QWidget* part(qt::SettingsWindow* settings, const std::string& name) {
    return settings->native().find(name)->widget();
}

TEST(QtStart, WithoutAFileTheSettingsWindowOffersRunAFileNow) {
    QtRig rig;
    EXPECT_EQ(rig.program.start(""), StartMode::Settings);
    qt::SettingsWindow* settings = rig.program.settings();
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&settings->native()));
    EXPECT_FALSE(rig.dialog().isVisible());

    // Taller, with "Run a File Now..." at the top and everything below moved down.
    EXPECT_EQ(settings->native().window().height(), kNoTargetWindowHeight);
    EXPECT_EQ(settings->native().height(), px(kNoTargetWindowHeight - 345));
    QWidget* run = part(settings, "CMD_RUN");
    EXPECT_TRUE(run->isVisible());
    EXPECT_EQ(static_cast<QPushButton*>(run)->text(), "Run a File &Now...");
    for (const auto& [name, top] : kNoTargetTops)
        EXPECT_EQ(part(settings, name)->y(), px(top)) << name;
    // Frame children stay where the table puts them inside their frame.
    EXPECT_EQ(part(settings, "lbl_WWW")->parentWidget(), part(settings, "Frame1"));
    const QRect web = part(settings, "lbl_WWW")->geometry();
    EXPECT_EQ(web.top(), px(1080));
    EXPECT_EQ(web.size(), QSize(px(3375), px(195)));
    // ... right of "Website:" by a blank's room where the desktop's face is wider than the
    // table's, with the mail link in the same column.
    EXPECT_EQ(web.left(), std::max(px(840), part(settings, "Label4")->geometry().right() + 1 +
                                                px(qt::QtForm::kLabelGap)));
    EXPECT_EQ(part(settings, "lbl_MAIL")->x(), web.left());
    EXPECT_EQ(static_cast<QGroupBox*>(part(settings, "Frame2"))->title(), "File Association:");

    // Run a File Now: the picked file opens in the dialog, the settings window goes.
    rig.files.answers.push_back(PickedFile{rig.target("picked.sh"), "picked.sh"});
    QTest::mouseClick(run, Qt::LeftButton);
    EXPECT_EQ(rig.program.settings(), nullptr);
    EXPECT_TRUE(rig.dialog().isVisible());
    EXPECT_EQ(rig.program.dialog().form1().FILEName, "picked.sh");
    EXPECT_EQ(rig.finished, 0);
}

TEST(QtStart, ClosingTheSettingsWindowWithoutAFileEndsTheProgram) {
    QtRig rig;
    rig.program.start("");
    // Esc does nothing here, as in a Windows dialog without a Cancel button.
    QTest::keyClick(&rig.program.settings()->native(), Qt::Key_Escape);
    EXPECT_NE(rig.program.settings(), nullptr);
    rig.program.settings()->native().close();
    EXPECT_EQ(rig.host.ended, 1);  // Form_Unload ends the program
}

TEST(QtStart, RemoveAllEndsWithoutAWindow) {
    QtRig rig;
    EXPECT_EQ(rig.program.start("/cleareg"), StartMode::ClearRegistry);
    EXPECT_EQ(rig.host.ended, 1);
    EXPECT_FALSE(rig.dialog().isVisible());
    EXPECT_EQ(rig.program.settings(), nullptr);
    EXPECT_EQ(qt::startText(2,
                            std::array<char*, 3>{const_cast<char*>("tarvolin"),
                                                 const_cast<char*>("--unregister-all"), nullptr}
                                .data(),
                            "/cwd"),
              "/cleareg");
}

// "cleareg" typed in "/" names the file /cleareg: the switch is only ever the text as typed.
TEST(QtStart, ARelativeClearegIsAFile) {
    char prog[] = "tarvolin", name[] = "cleareg";
    char* line[] = {prog, name, nullptr};
    QtRig rig;
    EXPECT_EQ(rig.program.start(qt::startText(2, line, "/")), StartMode::Dialog);
    EXPECT_EQ(rig.program.dialog().form1().TargetPath(), "/cleareg");
    EXPECT_EQ(rig.host.ended, 0);
    EXPECT_EQ(qt::startText(2, line, "/cwd"), "/cwd/cleareg");
}

TEST(QtStart, TheCommandLineIsOnePathBlanksAndAll) {
    char prog[] = "tarvolin", a[] = "/home/u/My", b[] = "File.sh", rel[] = "sub/x.sh";
    char* split[] = {prog, a, b, nullptr};
    EXPECT_EQ(qt::startText(3, split, "/cwd"), "/home/u/My File.sh");
    char* relative[] = {prog, rel, nullptr};
    EXPECT_EQ(qt::startText(2, relative, "/cwd"), "/cwd/sub/x.sh");
    char* none[] = {prog, nullptr};
    EXPECT_EQ(qt::startText(1, none, "/cwd"), "");
}

TEST(QtHandOver, QuestionMarkShowsTheSettingsAndOkBringsTheDialogBack) {
    QtRig rig;
    rig.program.start(rig.target());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.dialog()));
    QTest::mouseClick(rig.widget("CMD_About"), Qt::LeftButton);
    EXPECT_FALSE(rig.dialog().isVisible());
    qt::SettingsWindow* settings = rig.program.settings();
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(settings->native().isVisible());
    EXPECT_FALSE(part(settings, "CMD_RUN")->isVisible());
    EXPECT_EQ(settings->native().window().height(), 4575 + 345);

    QTest::mouseClick(part(settings, "CMD_OK"), Qt::LeftButton);
    EXPECT_EQ(rig.program.settings(), nullptr);
    EXPECT_TRUE(rig.dialog().isVisible());
    EXPECT_EQ(rig.finished, 0);

    // And once more: the window is built afresh each time.
    QTest::mouseClick(rig.widget("CMD_About"), Qt::LeftButton);
    ASSERT_NE(rig.program.settings(), nullptr);
    rig.program.settings()->native().close();
    EXPECT_TRUE(rig.dialog().isVisible());
}

TEST(QtSettings, TheListAddsAndRemovesThroughTheMenus) {
    QtRig rig;
    rig.program.start("");
    qt::SettingsWindow* settings = rig.program.settings();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&settings->native()));
    auto* list = static_cast<QListWidget*>(part(settings, "List1"));
    QWidget* remove = part(settings, "CMD_REMOVE");
    rig.host.inputs.push_back("sh");
    rig.host.inputs.push_back("py");
    QTest::mouseClick(part(settings, "CMD_ADD"), Qt::LeftButton);
    QTest::mouseClick(part(settings, "CMD_ADD"), Qt::LeftButton);
    ASSERT_EQ(list->count(), 2);
    EXPECT_FALSE(remove->isEnabled());

    // A click on an entry is the user's selection: Remove becomes ready.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    EXPECT_TRUE(remove->isEnabled());
    rig.host.answers.push_back(MsgResult::Yes);
    QTest::mouseClick(remove, Qt::LeftButton);
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "sh");
    EXPECT_EQ(list->currentRow(), -1);
    EXPECT_FALSE(remove->isEnabled());
    EXPECT_EQ(rig.temp.read("config/tarvolin/Settings.ini"), "[ASSOCIATION]\r\n0=sh\r\n");
}

}  // namespace
}  // namespace tarvo::test
