// The Qt host, message and input boxes, file and folder dialogs.
#include "frontend/qt/qt_host.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QTimer>
#include <deque>

#include "frontend/qt/qt_controls.h"

namespace tarvo::qt {

QWidget* widgetOf(const Window* window) {
    const auto* qtWindow = dynamic_cast<const QtWindow*>(window);
    return qtWindow ? qtWindow->dialog() : nullptr;
}

std::string QtHost::programFolder() const {
    return fromQt(QCoreApplication::applicationDirPath());
}

std::string QtHost::exeName() const {
    return fromQt(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
}

void QtHost::endProgram() {
    if (actions_.end) actions_.end();
}
void QtHost::unloadDialog() {
    if (actions_.unloadDialog) actions_.unloadDialog();
}
void QtHost::showSettings() {
    if (actions_.showSettings) actions_.showSettings();
}
void QtHost::unloadSettings() {
    if (actions_.unloadSettings) actions_.unloadSettings();
}

namespace {

MsgResult showBox(const Window* owner, const std::string& text, const std::string& title,
                  MsgButtons buttons, MsgIcon icon) {
    QMessageBox box(widgetOf(owner));
    box.setWindowTitle(toQt(title));
    // Texts name files, and a file name is never markup: shown as it is, letter for letter.
    box.setTextFormat(Qt::PlainText);
    // The core writes Windows line ends; one break each here.
    box.setText(toQt(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    switch (icon) {
        case MsgIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case MsgIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MsgIcon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgIcon::None:
            break;
    }
    if (buttons == MsgButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int r = box.exec();
    if (r == QMessageBox::Yes) return MsgResult::Yes;
    if (r == QMessageBox::No) return MsgResult::No;
    return MsgResult::Ok;
}

struct Notice {
    std::string text;
    MsgIcon icon;
};
// The notices waiting for the event loop, shown one after the other in the order told.
std::deque<Notice>& pendingNotices() {
    static std::deque<Notice> notices;
    return notices;
}

}  // namespace

MsgResult QtHost::messageBox(const Window* owner, const std::string& text, const std::string& title,
                             MsgButtons buttons, MsgIcon icon) {
    return showBox(owner, text, title, buttons, icon);
}

void QtHost::noticeLater(const std::string& text, MsgIcon icon) {
    std::deque<Notice>& notices = pendingNotices();
    notices.push_back({text, icon});
    if (notices.size() > 1) return;  // the first one's turn of the loop shows it too
    QTimer::singleShot(0, qApp, [] {
        std::deque<Notice>& waiting = pendingNotices();
        while (!waiting.empty()) {
            showBox(nullptr, waiting.front().text, "Tarvolin", MsgButtons::Ok,
                    waiting.front().icon);
            waiting.pop_front();
        }
    });
}

std::string QtHost::inputBox(const Window* owner, const std::string& prompt,
                             const std::string& title, const std::string& defaultText) {
    bool ok = false;
    const QString text = QInputDialog::getText(widgetOf(owner), toQt(title), toQt(prompt),
                                               QLineEdit::Normal, toQt(defaultText), &ok);
    return ok ? fromQt(text) : std::string();
}

std::optional<PickedFile> QtFilePicker::showOpen(const OpenFileRequest& request) {
    QString folder = toQt(request.initDir);
    if (folder.isEmpty() || folder.startsWith(QStringLiteral("::")) || !QDir(folder).exists())
        folder = QDir::homePath();
    if (!request.fileName.empty()) folder = QDir(folder).filePath(toQt(request.fileName));
    const QString filter = toQt(request.filterDescription) + QStringLiteral(" (*)");
    const QString path =
        QFileDialog::getOpenFileName(widgetOf(request.owner), toQt(request.title), folder, filter);
    if (path.isEmpty()) return std::nullopt;
    return PickedFile{fromQt(path), fromQt(QFileInfo(path).fileName())};
}

std::string QtFolderPicker::browseForFolder(const std::string& prompt, unsigned) {
    return fromQt(QFileDialog::getExistingDirectory(QApplication::activeWindow(), toQt(prompt),
                                                    QDir::homePath()));
}

}  // namespace tarvo::qt
