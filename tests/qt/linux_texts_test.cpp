// Texts as a Linux user meets them: message boxes keep a readable width (a long path or word
// wraps inside the box instead of widening it, and every character of the text is still
// there), and OK's tool tip promises nothing Linux does not do.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "common/system_style.h"
#include "dialog/form1_layout.h"
#include "frontend/qt/qt_host.h"
#include "qt/qt_rig.h"

namespace tarvo::test {
namespace {

struct Shown {
    int width = 0;
    QString text;
    QString copied;  // what Ctrl+C put on the clipboard
    QString spoken;  // what a screen reader reads as the text
};

// Shows text in the host's box and answers it at once, recording what was shown.
Shown showBox(const std::string& text) {
    Shown shown;
    QTimer::singleShot(0, [&shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown.width = box->width();
        shown.text = box->text();
        if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
            shown.spoken =
                label->accessibleName().isEmpty() ? label->text() : label->accessibleName();
        // The text can be selected with the mouse and copied.
        QApplication::clipboard()->clear();
        for (auto* label : box->findChildren<QLabel*>()) {
            if (label->text() != shown.text) continue;
            label->setSelection(0, static_cast<int>(label->text().size()));
            QTest::keyClick(label, Qt::Key_C, Qt::ControlModifier);
        }
        shown.copied = QApplication::clipboard()->text();
        box->accept();
    });
    qt::QtHost host;
    host.messageBox(nullptr, text, "Tarvolin", MsgButtons::Ok, MsgIcon::Exclamation);
    return shown;
}

QString withoutBreakMarks(QString text) {
    return text.remove(QChar(0x200B));
}

TEST(QtMessageBox, LongPathsAndWordsWrapInsteadOfWideningTheBox) {
    const std::string folder = "/home/user/" + std::string(40, 'd') + "/" + std::string(60, 'e') +
                               "/.local/share/nemo/actions/";
    const std::string longPath = folder + "tarvolin-" + std::string(200, 'z') + ".nemo_action";
    const std::string cases[] = {
        "Some of the file managers' menus could not be changed:\n\n" + longPath + "\n",
        "A word without any place to break: " + std::string(600, 'x'),
        "Non-ASCII: " + std::string(300, 'a') + "\xC3\xA4\xF0\x9F\x98\x80" + std::string(300, 'b'),
    };
    // QMessageBox wraps its text at about 500 pixels when it can.
    const int readable = 560;
    for (const std::string& text : cases) {
        const Shown shown = showBox(text);
        EXPECT_LE(shown.width, readable) << text.substr(0, 40);
        // The shown text is the whole text: only places to break were added.
        EXPECT_EQ(withoutBreakMarks(shown.text).toStdString(), text);
        // What Ctrl+C copies holds the text as it is.
        EXPECT_NE(shown.copied.indexOf(QString::fromStdString(text)), -1)
            << shown.copied.left(300).toStdString();
        EXPECT_EQ(shown.copied.indexOf(QChar(0x200B)), -1);
        EXPECT_EQ(shown.spoken.toStdString(), text);
    }
    // Ordinary texts are shown as they are.
    const std::string plain = "Are you sure you wish to remove 'Tarvolin' from txt file extension?";
    EXPECT_EQ(showBox(plain).text.toStdString(), plain);
}

TEST(QtDialogTexts, OkSaysWhatItDoesOnLinux) {
    QtRig rig;
    rig.program.start(rig.target());
    EXPECT_EQ(rig.widget("CMD_OK")->toolTip().toStdString(), "Run (Enter)");
    // Windows keeps its text; the table gives each system its own.
    setSystemStyle(SystemStyle::Windows);
    const ControlSpec* ok = form1Layout().find("CMD_OK");
    setSystemStyle(SystemStyle::Linux);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->toolTip, "Run (Ctrl+Shift+Enter: run as administrator)");
}

}  // namespace
}  // namespace tarvo::test
