// The Qt windows for a screen reader, the keyboard and other eyes: accessible names, roles and
// states, links by keyboard, a visible focus, the palette's colours, the file name cut with an
// ellipsis, and nothing clipped when text is large (QtLargeText runs again at twice the scale
// and at a font DPI of 192).
#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTextDocument>

#include "frontend/qt/qt_widgets.h"
#include "qt/qt_rig.h"

namespace tarvo::test {
namespace {

using Names = std::vector<std::string>;

QAccessibleInterface* reading(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget);
}
std::string name(QWidget* widget) {
    return reading(widget)->text(QAccessible::Name).toStdString();
}

std::string nameOf(const QWidget* w) {
    return w->objectName().toStdString();
}

QWidget* part(qt::SettingsWindow* settings, const std::string& control) {
    return settings->native().find(control)->widget();
}

qt::SettingsWindow* openSettings(QtRig& rig) {
    QTest::mouseClick(rig.widget("CMD_About"), Qt::LeftButton);
    qt::SettingsWindow* settings = rig.program.settings();
    if (settings) {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&settings->native()));
    }
    return settings;
}

// The names of the controls the focus visits, pressing Tab count times from the focus.
Names tabRound(int count) {
    Names seen;
    for (int i = 0; i < count; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        seen.push_back(QApplication::focusWidget()->objectName().toStdString());
    }
    return seen;
}

TEST(QtAccessibility, TheDialogNamesEveryControlInWordsAndSaysWhetherItIsExpanded) {
    QtRig rig;
    rig.setMru("[run.sh]\r\n0=0\r\n1=-v\r\n");
    rig.program.start(rig.target());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.dialog()));

    // The argument box is named after its file and keeps its name while text is typed; the
    // text is its value. Its edit field, which has the keyboard, and its list say the same.
    QAccessibleInterface* box = reading(rig.combo());
    EXPECT_EQ(box->role(), QAccessible::ComboBox);
    EXPECT_EQ(name(rig.combo()), "Arguments for run.sh");
    QTest::keyClicks(rig.combo(), "xyz");
    EXPECT_EQ(name(rig.combo()), "Arguments for run.sh");
    EXPECT_EQ(box->text(QAccessible::Value), "xyz");
    EXPECT_EQ(box->focusChild()->object(), rig.edit());
    EXPECT_EQ(name(rig.edit()), "Arguments for run.sh");
    EXPECT_EQ(name(rig.combo()->view()), "Arguments for run.sh");
    EXPECT_TRUE(box->state().expandable);

    EXPECT_EQ(name(rig.widget("CMD_About")), "Settings");
    EXPECT_EQ(name(rig.widget("Check1")), "CMD");
    EXPECT_EQ(reading(rig.widget("Check1"))->role(), QAccessible::CheckBox);
    EXPECT_EQ(name(rig.widget("CMD_OK")), "OK");
    EXPECT_EQ(name(rig.widget("CMD_Browse")), "Browse...");
    EXPECT_EQ(name(rig.widget("Label1")), "run.sh:");

    // ">" is a button that widens the window: named by what it does, expanded or collapsed.
    QWidget* width = rig.widget("CMD_WIDTH");
    QAccessibleInterface* more = reading(width);
    EXPECT_EQ(more->role(), QAccessible::Button);
    EXPECT_EQ(name(width), "More options");
    EXPECT_EQ(more->text(QAccessible::Description), "Widen the window");
    EXPECT_TRUE(more->state().expandable);
    EXPECT_TRUE(more->state().collapsed);
    EXPECT_FALSE(more->state().expanded);
    // The screen reader's own action presses it.
    more->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(static_cast<QPushButton*>(width)->text(), "<");
    EXPECT_EQ(name(width), "Fewer options");
    EXPECT_EQ(more->text(QAccessible::Description), "Narrow the window again");
    EXPECT_TRUE(more->state().expanded);
    EXPECT_FALSE(more->state().collapsed);
    QTest::mouseClick(width, Qt::LeftButton);
    EXPECT_EQ(name(width), "More options");
    EXPECT_TRUE(more->state().collapsed);
}

TEST(QtAccessibility, SettingsNameTheListByItsFrameAndTheLinksAreLinksLabelledByTheirCaptions) {
    QtRig rig;
    rig.program.start(rig.target());
    qt::SettingsWindow* settings = openSettings(rig);
    ASSERT_NE(settings, nullptr);

    EXPECT_EQ(name(part(settings, "List1")), "File Association");
    EXPECT_EQ(reading(part(settings, "List1"))->role(), QAccessible::List);
    for (const auto& [link, caption, address] :
         {std::tuple{"lbl_MAIL", "Label3", "tarvolin@example.com"},
          std::tuple{"lbl_WWW", "Label4", "https://www.example.com/tarvolin"}}) {
        QWidget* w = part(settings, link);
        EXPECT_EQ(reading(w)->role(), QAccessible::Link) << link;
        EXPECT_EQ(name(w), address);
        EXPECT_EQ(static_cast<QLabel*>(part(settings, caption))->buddy(), w);
        const auto labels = reading(w)->relations(QAccessible::Label);
        ASSERT_FALSE(labels.isEmpty()) << link;
        EXPECT_EQ(labels.first().first->object(), part(settings, caption)) << link;
    }
    // Every tab stop has a name in words.
    for (QWidget* w : settings->native().findChildren<QWidget*>()) {
        if (w->focusPolicy() == Qt::NoFocus || !w->property("tarvoControl").toBool()) continue;
        const QString n = reading(w)->text(QAccessible::Name);
        EXPECT_TRUE(std::any_of(n.begin(), n.end(), [](QChar c) { return c.isLetter(); }))
            << w->objectName().toStdString();
    }
}

TEST(QtAccessibility, TheLinksAreReachedWithTabAndOpenedWithEnterOrSpace) {
    QtRig rig;
    rig.setMru("[run.sh]\r\n0=0\r\n1=-v\r\n");  // both Clear buttons take the focus
    rig.program.start(rig.target());
    qt::SettingsWindow* settings = openSettings(rig);
    ASSERT_NE(settings, nullptr);
    part(settings, "CMD_OK")->setFocus();
    EXPECT_EQ(tabRound(6),
              (Names{"List1", "CMD_ADD", "CMD_File", "CMD_ClearAll", "lbl_MAIL", "lbl_WWW"}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(rig.shell.requests.size(), 1u);
    EXPECT_EQ(rig.shell.requests[0].file, "https://www.example.com/tarvolin");
    EXPECT_NE(rig.program.settings(), nullptr);  // Enter opened the link, not OK
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    ASSERT_EQ(rig.shell.requests.size(), 2u);
    EXPECT_NE(rig.shell.requests[1].file.find("tarvolin@example.com"), std::string::npos);
    QTest::mouseClick(part(settings, "lbl_MAIL"), Qt::LeftButton);
    EXPECT_EQ(rig.shell.requests.size(), 3u);  // a click opens it once
}

// Every control Tab reaches looks different with the focus than after Tab has moved on: Qt
// styles draw the focus where it came by keyboard. Returns the controls visited.
Names expectVisibleFocus(const std::string& what) {
    Names visited;
    // Tab there and back: the window now shows the focus as it does for a keyboard user.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QWidget* start = QApplication::focusWidget();
    QWidget* current = start;
    QImage withFocus = current->grab().toImage();
    for (int i = 0; i < 20; ++i) {
        QTest::keyClick(current, Qt::Key_Tab);
        QWidget* next = QApplication::focusWidget();
        EXPECT_NE(current->grab().toImage(), withFocus) << what << ": " << nameOf(current);
        visited.push_back(nameOf(current));
        current = next;
        if (current == start) break;
        withFocus = current->grab().toImage();
    }
    return visited;
}

TEST(QtAccessibility, TheFocusIsVisibleOnEveryControlInEveryState) {
    QtRig rig;
    rig.setMru("[run.sh]\r\n0=0\r\n1=-v\r\n");
    rig.program.start(rig.target());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&rig.dialog()));
    const Names dialog{"cmbArg",     "Check1",    "CMD_OK",   "CMD_Cancel",
                       "CMD_Browse", "CMD_About", "CMD_WIDTH"};
    EXPECT_EQ(expectVisibleFocus("collapsed"), dialog);
    QTest::keyClick(rig.widget("CMD_WIDTH"), Qt::Key_Space);  // expanded
    ASSERT_EQ(static_cast<QPushButton*>(rig.widget("CMD_WIDTH"))->text(), "<");
    rig.combo()->setFocus();
    EXPECT_EQ(expectVisibleFocus("expanded"), dialog);

    qt::SettingsWindow* settings = openSettings(rig);
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&settings->native()));
    EXPECT_EQ(expectVisibleFocus("settings"), (Names{"CMD_OK", "List1", "CMD_ADD", "CMD_File",
                                                     "CMD_ClearAll", "lbl_MAIL", "lbl_WWW"}));
}

// A palette no style would pick by itself: light text on a dark window, and its own link colour.
QPalette darkPalette() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
    p.setColor(QPalette::WindowText, QColor(0xf0, 0xf0, 0xf0));
    p.setColor(QPalette::Base, QColor(0x10, 0x10, 0x10));
    p.setColor(QPalette::Text, QColor(0xf0, 0xf0, 0xf0));
    p.setColor(QPalette::Button, QColor(0x30, 0x30, 0x30));
    p.setColor(QPalette::ButtonText, QColor(0xf0, 0xf0, 0xf0));
    p.setColor(QPalette::Link, QColor(0x80, 0xc8, 0xff));
    return p;
}

int pixelsOf(const QImage& image, QColor colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += image.pixelColor(x, y) == colour;
    return n;
}

TEST(QtAccessibility, TheWindowsDrawInThePalettesColours) {
    const QPalette before = QApplication::palette();
    QApplication::setPalette(darkPalette());
    {
        QtRig rig;
        rig.program.start(rig.target());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.dialog()));
        const QImage dialog = rig.dialog().grab().toImage();
        EXPECT_GT(pixelsOf(dialog, QColor(0x20, 0x20, 0x20)), dialog.width() * dialog.height() / 3);
        const QImage label = rig.widget("Label1")->grab().toImage();
        EXPECT_GT(pixelsOf(label, QColor(0xf0, 0xf0, 0xf0)), 0);

        qt::SettingsWindow* settings = openSettings(rig);
        ASSERT_NE(settings, nullptr);
        for (const char* link : {"lbl_MAIL", "lbl_WWW"}) {
            const QImage image = part(settings, link)->grab().toImage();
            EXPECT_GT(pixelsOf(image, QColor(0x80, 0xc8, 0xff)), 20) << link;
            EXPECT_EQ(pixelsOf(image, QColor(0, 0, 255)), 0) << link;
        }
        const QImage whole = settings->native().grab().toImage();
        EXPECT_GT(pixelsOf(whole, QColor(0x20, 0x20, 0x20)), whole.width() * whole.height() / 4);
    }
    QApplication::setPalette(before);
}

TEST(QtAccessibility, ALongFileNameIsCutWithAnEllipsisBeforeTheButtonAndWholeInItsToolTip) {
    QtRig rig;
    const std::string file = std::string(90, 'n') + "<b>&.sh";
    rig.program.start(rig.target(file));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.dialog()));
    auto* label = static_cast<qt::DataLabel*>(rig.widget("Label1"));
    const QString whole = QString::fromStdString(file + ":");
    EXPECT_EQ(label->text(), whole);  // what the form and screen readers read
    EXPECT_EQ(name(label), whole.toStdString());
    QTextDocument tip;
    tip.setHtml(label->toolTip());
    EXPECT_EQ(tip.toPlainText(), whole);  // as plain text: "<b>" is part of the name
    const QString shown = label->shownText();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(whole.startsWith(shown.chopped(1)));
    // The cut text ends before ">", which stands in front of the label's right end.
    EXPECT_LE(label->x() + label->fontMetrics().horizontalAdvance(shown),
              rig.widget("CMD_WIDTH")->x());

    // Wider, the window shows more of it; a short name is shown whole.
    QTest::mouseClick(rig.widget("CMD_WIDTH"), Qt::LeftButton);
    EXPECT_GT(label->shownText().size(), shown.size());
    rig.dialog().find("Label1")->setCaption("run.sh:");
    EXPECT_EQ(label->shownText(), "run.sh:");
    EXPECT_EQ(name(label), "run.sh:");
    EXPECT_EQ(name(rig.combo()), "Arguments for " + file);  // named by the loaded file
}

// --- large text ---------------------------------------------------------------------------------

// Nothing stands outside its parent, and every caption fits its control whole.
void expectNothingClipped(QWidget* window, const std::string& what) {
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->property("tarvoControl").toBool() || w->isHidden()) continue;
        const std::string at = what + ": " + nameOf(w);
        EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << at;
        const QFontMetrics fm = w->fontMetrics();
        if (auto* button = qobject_cast<QPushButton*>(w)) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            const QRect room =
                button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            const QRect text =
                fm.boundingRect(room, Qt::AlignCenter | Qt::TextShowMnemonic, button->text());
            EXPECT_TRUE(room.contains(text)) << at;
        } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
            EXPECT_LE(box->sizeHint().width(), box->width()) << at;
            EXPECT_LE(fm.height(), box->height()) << at;
        } else if (auto* frame = qobject_cast<QGroupBox*>(w)) {
            EXPECT_LT(fm.horizontalAdvance(frame->title()), frame->width()) << at;
        } else if (auto* label = qobject_cast<QLabel*>(w);
                   label && !label->text().isEmpty() && !dynamic_cast<qt::DataLabel*>(w)) {
            EXPECT_LE(fm.horizontalAdvance(label->text()), label->contentsRect().width()) << at;
            EXPECT_LE(fm.height(), label->height()) << at;
        }
    }
}

TEST(QtLargeText, NoCaptionButtonOrGreaterThanIsClippedInTheDialog) {
    QtRig rig(0);  // the screen's DPI
    rig.program.start(rig.target());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.dialog()));
    expectNothingClipped(&rig.dialog(), "collapsed");
    QTest::mouseClick(rig.widget("CMD_WIDTH"), Qt::LeftButton);
    expectNothingClipped(&rig.dialog(), "expanded");
}

TEST(QtLargeText, TheSettingsWindowKeepsItsListInsideItsFrameAndItsCaptionsApart) {
    for (const bool withFile : {false, true}) {
        QtRig rig(0);
        rig.program.start(withFile ? rig.target() : "");
        qt::SettingsWindow* settings = withFile ? openSettings(rig) : rig.program.settings();
        ASSERT_NE(settings, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&settings->native()));
        const std::string what = withFile ? "from the dialog" : "without a file";
        expectNothingClipped(&settings->native(), what);

        // The list, the buttons beside it stand inside the frame's border.
        auto* frame = static_cast<qt::FrameBox*>(part(settings, "Frame2"));
        const QRect border = frame->borderRect().translated(frame->pos());
        for (const char* inside : {"List1", "CMD_ADD", "CMD_REMOVE"}) {
            const QRect r = part(settings, inside)->geometry();
            EXPECT_TRUE(border.adjusted(1, 1, -1, -1).contains(r))
                << what << ": " << inside << " in " << border.top() << ".." << border.bottom();
        }
        // Each caption keeps its room before the link on its row.
        const int gap = static_cast<int>(
            std::lround(qt::QtForm::kLabelGap * settings->native().metrics().dpi / 1440.0));
        for (const auto& [caption, link] :
             {std::pair{"Label3", "lbl_MAIL"}, {"Label4", "lbl_WWW"}}) {
            auto* label = static_cast<QLabel*>(part(settings, caption));
            const int textEnd = label->x() + label->fontMetrics().horizontalAdvance(label->text());
            EXPECT_GE(part(settings, link)->x() - textEnd, gap) << what << ": " << caption;
        }
    }
}

}  // namespace
}  // namespace tarvo::test
