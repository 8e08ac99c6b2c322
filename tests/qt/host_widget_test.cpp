// tarvolin's message boxes as real Qt windows: what they show of a file's name, and when a
// note that may come while a data file is locked is shown.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>
#include <future>

#include "doubles/fake_controls.h"
#include "doubles/fake_services.h"
#include "doubles/scoped_env.h"
#include "doubles/temp_folder.h"
#include "frontend/qt/qt_host.h"
#include "platform/linux/menu_registry.h"
#include "platform/linux/shell_linux.h"
#include "settings/associations.h"
#include "settings/linux_associations.h"

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

// The note that Dolphin and "Open With" know no type for ".zzq" is told while the list file
// is locked. A box waiting for a person there would hold up every other running copy: the
// note comes once the lock is released, and a second copy adds its extension meanwhile.
TEST(QtMessageBoxes, ANoteWaitsUntilTheListFileIsUnlocked) {
    TempFolder temp;
    const ScopedEnv data("XDG_DATA_HOME", temp.file("data"));
    const ScopedEnv config("XDG_CONFIG_HOME", temp.file("config"));
    const ScopedEnv state("XDG_STATE_HOME", temp.file("state"));
    const ScopedEnv dataDirs("XDG_DATA_DIRS", temp.file("none"));
    const ScopedEnv configDirs("XDG_CONFIG_DIRS", temp.file("none"));
    const std::string settings = temp.file("Settings.ini");
    qt::QtHost host;
    menus::LinuxAssociations menus(
        settings, "tarvolin", menus::menuFolders(), [&](const std::string& text, bool warning) {
            host.noticeLater(text, warning ? MsgIcon::Exclamation : MsgIcon::None);
        });
    linux_desktop::MenuRegistry registry(menus);
    FakeListBox items;
    AssociationList first(items, registry, host, nullptr, temp.path(), settings);

    // The second copy, on a thread of its own, takes the same lock another process would.
    std::future<bool> second;
    const auto secondCopyAdds = [&] {
        return std::async(std::launch::async, [&] {
            ListOnlyMenuAssociations nothing;
            linux_desktop::MenuRegistry itsRegistry(nothing);
            FakeListBox itsItems;
            FakeHost itsHost;
            return AssociationList(itsItems, itsRegistry, itsHost, nullptr, temp.path(), settings)
                .add("zzr");
        });
    };
    whileBoxShown([&] { EXPECT_TRUE(first.add("zzq")); },
                  [&](QMessageBox& box) {
                      EXPECT_EQ(box.text().toStdString(),
                                menus::withoutTypeMessage(
                                    "zzq", {"Nemo", "Thunar", "GNOME Files", "Caja", "PCManFM-Qt"}));
                      second = secondCopyAdds();
                      EXPECT_EQ(second.wait_for(std::chrono::seconds(1)), std::future_status::ready)
                          << "the second copy waits for the first one's box";
                  },
                  QMessageBox::Ok);
    ASSERT_TRUE(second.valid());
    EXPECT_TRUE(second.get());
    EXPECT_EQ(readAssociationList(settings), (std::vector<std::string>{"zzq", "zzr"}));
}

}  // namespace
}  // namespace tarvo::test
