// tarvolin's message boxes as real Qt windows: what they show of a file's name.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

#include "doubles/temp_folder.h"
#include "frontend/qt/qt_host.h"
#include "platform/linux/shell_linux.h"

namespace tarvo::test {
namespace {

// Runs look on the first message box shown while showing runs (or soon after, from the event
// loop), then answers it with button.
void whileBoxShown(const std::function<void()>& showing,
                   const std::function<void(QMessageBox&)>& look,
                   QMessageBox::StandardButton button) {
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || seen) return;
        seen = true;
        look(*box);
        box->button(button)->click();
    });
    poll.start(10);
    showing();
    for (int i = 0; i < 100 && !seen; ++i) QTest::qWait(10);
    EXPECT_TRUE(seen) << "no message box was shown";
}

// A file name is the user's text, never markup: a name made of tags must not turn into a big
// green "Checked: safe to open." in the question that offers to open the file.
TEST(QtMessageBoxes, ShowAFileNameAsPlainText) {
    TempFolder temp;
    const std::string name =
        "<font color=#00aa00 size=6>Checked: safe to open.<br><font size=1>a.sh";
    temp.write(name, "no interpreter line\n");  // not executable: the user is asked
    qt::QtHost host;
    linux_desktop::LinuxShell shell(host);
    ShellRequest request;
    request.file = temp.file(name);
    request.directory = temp.path();
    request.arguments = std::vector<std::string>{"-x"};
    ShellResult result;
    whileBoxShown([&] { result = shell.execute(request); },
                  [&](QMessageBox& box) {
                      EXPECT_EQ(box.textFormat(), Qt::PlainText);
                      auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
                      ASSERT_NE(label, nullptr);
                      EXPECT_EQ(label->textFormat(), Qt::PlainText);
                      EXPECT_TRUE(label->text().contains(QString::fromStdString(name)));
                  },
                  QMessageBox::No);
    EXPECT_TRUE(result.wasCancelled());
}

}  // namespace
}  // namespace tarvo::test
