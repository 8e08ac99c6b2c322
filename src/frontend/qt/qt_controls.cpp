// The Qt controls behind the forms' interfaces.
#include "frontend/qt/qt_controls.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QScreen>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

#include "frontend/qt/qt_widgets.h"

namespace tarvo::qt {

int FormMetrics::pixels(int twips) const {
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

int FormMetrics::twips(int pixels) const {
    return static_cast<int>(std::lround(pixels * 1440.0 / dpi));
}

QString toQt(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string fromQt(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

int codePointsBefore(const QString& text, int utf16Index) {
    int count = 0;
    for (int i = 0; i < utf16Index && i < text.size(); ++i) {
        if (text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate()) continue;
        ++count;
    }
    return count;
}

int utf16IndexOf(const QString& text, int codePoints) {
    int i = 0;
    for (int n = 0; n < codePoints && i < text.size(); ++n) {
        i += (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2
                                                                                                : 1;
    }
    return i;
}

int TwipsCache::read(Axis axis, int currentPixels, const FormMetrics& m) const {
    if (set_[axis] && pixels_[axis] == currentPixels) return twips_[axis];
    return m.twips(currentPixels);
}

int TwipsCache::write(Axis axis, int twips, const FormMetrics& m) {
    twips_[axis] = twips;
    pixels_[axis] = m.pixels(twips);
    set_[axis] = true;
    return pixels_[axis];
}

void TwipsCache::placed(Axis axis, int pixels) {
    if (set_[axis]) pixels_[axis] = pixels;
}

// --- every control -------------------------------------------------------------------------

QtControl::QtControl(QWidget* widget, const ControlSpec& spec, const FormMetrics& metrics)
    : widget_(widget), name_(spec.name), kind_(spec.kind), metrics_(metrics) {}

int QtControl::left() const {
    return cache_.read(TwipsCache::Left, widget_->x(), metrics_);
}
int QtControl::top() const {
    return cache_.read(TwipsCache::Top, widget_->y(), metrics_);
}
int QtControl::width() const {
    return cache_.read(TwipsCache::Width, widget_->width(), metrics_);
}
int QtControl::height() const {
    return cache_.read(TwipsCache::Height, widget_->height(), metrics_);
}

void QtControl::setLeft(int twips) {
    design_.moveLeft(cache_.write(TwipsCache::Left, twips, metrics_));
    place();
}
void QtControl::setTop(int twips) {
    design_.moveTop(cache_.write(TwipsCache::Top, twips, metrics_));
    place();
}
void QtControl::setWidth(int twips) {
    design_.setWidth(cache_.write(TwipsCache::Width, twips, metrics_));
    place();
}
void QtControl::setHeight(int twips) {
    design_.setHeight(cache_.write(TwipsCache::Height, twips, metrics_));
    place();
}

void QtControl::shiftRight(int pixels) {
    design_.translate(pixels, 0);
    place();
}

void QtControl::growTo(int pixels) {
    design_.setWidth(pixels);
    place();
}

void QtControl::place() {
    QRect r = design_;
    if (const QWidget* parent = widget_->parentWidget()) {
        r.moveLeft(std::clamp(r.left(), 0, std::max(0, parent->width() - r.width())));
        r.moveTop(std::clamp(r.top(), 0, std::max(0, parent->height() - r.height())));
    }
    widget_->setGeometry(r);
    cache_.placed(TwipsCache::Left, r.x());
    cache_.placed(TwipsCache::Top, r.y());
}

std::string QtControl::caption() const {
    if (auto* button = qobject_cast<QAbstractButton*>(widget_)) return fromQt(button->text());
    if (auto* label = qobject_cast<QLabel*>(widget_)) return fromQt(label->text());
    if (auto* frame = qobject_cast<QGroupBox*>(widget_)) return fromQt(frame->title());
    if (auto* box = qobject_cast<QComboBox*>(widget_)) return fromQt(box->currentText());
    return {};
}

void QtControl::setCaption(const std::string& text) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget_))
        button->setText(toQt(text));
    else if (auto* data = dynamic_cast<DataLabel*>(widget_))
        data->setData(toQt(text));
    else if (auto* label = qobject_cast<QLabel*>(widget_))
        label->setText(toQt(text));
    else if (auto* frame = qobject_cast<QGroupBox*>(widget_))
        frame->setTitle(toQt(text));
    else if (auto* box = qobject_cast<QComboBox*>(widget_))
        box->setEditText(toQt(text));
    if (captionChanged) captionChanged(text);
}

bool QtControl::enabled() const {
    return widget_->isEnabled();
}
void QtControl::setEnabled(bool on) {
    widget_->setEnabled(on);
}
// The control's own setting, as on Windows: a control of a hidden window still counts as
// visible.
bool QtControl::visible() const {
    return !widget_->isHidden();
}
void QtControl::setVisible(bool on) {
    widget_->setVisible(on);
}

// --- check box -----------------------------------------------------------------------------

int QtCheckBox::value() const {
    return static_cast<QCheckBox*>(widget_)->isChecked() ? 1 : 0;
}
void QtCheckBox::setValue(int value) {
    static_cast<QCheckBox*>(widget_)->setChecked(value == 1);
}

// --- combo box -----------------------------------------------------------------------------

QtComboBox::QtComboBox(QComboBox* box, const ControlSpec& spec, const FormMetrics& metrics)
    : QtControl(box, spec, metrics), box_(box) {}

std::string QtComboBox::text() const {
    return fromQt(box_->lineEdit()->text());
}

void QtComboBox::setText(const std::string& text) {
    box_->lineEdit()->setText(toQt(text));
}

int QtComboBox::selStart() const {
    const QLineEdit* edit = box_->lineEdit();
    const int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    return codePointsBefore(edit->text(), start);
}

void QtComboBox::setSelStart(int pos) {
    QLineEdit* edit = box_->lineEdit();
    edit->setCursorPosition(utf16IndexOf(edit->text(), std::max(0, pos)));
}

int QtComboBox::selLength() const {
    const QLineEdit* edit = box_->lineEdit();
    if (!edit->hasSelectedText()) return 0;
    const int start = edit->selectionStart();
    const int end = start + static_cast<int>(edit->selectedText().size());
    return codePointsBefore(edit->text(), end) - codePointsBefore(edit->text(), start);
}

void QtComboBox::setSelLength(int length) {
    QLineEdit* edit = box_->lineEdit();
    const QString text = edit->text();
    const int start = selStart();
    const int from = utf16IndexOf(text, start);
    const int to = utf16IndexOf(text, start + std::max(0, length));
    if (to > from)
        edit->setSelection(from, to - from);
    else
        edit->setCursorPosition(from);
}

int QtComboBox::listCount() const {
    return box_->count();
}

std::string QtComboBox::list(int index) const {
    if (index < 0 || index >= box_->count()) return {};
    return fromQt(box_->itemText(index));
}

// Adding an item never changes the text in the box; QComboBox would show its first item.
void QtComboBox::addItem(const std::string& item) {
    const QSignalBlocker block(box_);
    const QString text = box_->lineEdit()->text();
    const int index = box_->currentIndex();
    box_->addItem(toQt(item));
    if (box_->currentIndex() != index) {
        box_->setCurrentIndex(index);
        box_->lineEdit()->setText(text);
    }
}

void QtComboBox::clear() {
    const QSignalBlocker block(box_);
    box_->clear();
    box_->clearEditText();
}

int QtComboBox::listIndex() const {
    return box_->currentIndex();
}

void QtComboBox::setListIndex(int index) {
    const QSignalBlocker block(box_);
    box_->setCurrentIndex(index);
}

int QtComboBox::findString(const std::string& prefix) const {
    const QString wanted = toQt(prefix);
    for (int i = 0; i < box_->count(); ++i)
        if (box_->itemText(i).startsWith(wanted, Qt::CaseInsensitive)) return i;
    return -1;
}

void QtComboBox::setFocus() {
    box_->setFocus(Qt::OtherFocusReason);
}

void QtComboBox::removeItem(int index) {
    if (index >= 0 && index < box_->count()) box_->removeItem(index);
}

// --- list box ------------------------------------------------------------------------------

QtListBox::QtListBox(QListWidget* list, const ControlSpec& spec, const FormMetrics& metrics)
    : QtControl(list, spec, metrics), list_(list) {}

int QtListBox::listCount() const {
    return list_->count();
}

std::string QtListBox::list(int index) const {
    const QListWidgetItem* item = list_->item(index);
    return item ? fromQt(item->text()) : std::string();
}

void QtListBox::addItem(const std::string& item) {
    const QSignalBlocker block(list_);
    list_->addItem(toQt(item));
}

// A removed entry leaves nothing selected, as a Windows list box does.
void QtListBox::removeItem(int index) {
    const QSignalBlocker block(list_);
    delete list_->takeItem(index);
    list_->setCurrentRow(-1);
    list_->clearSelection();
}

int QtListBox::listIndex() const {
    return list_->selectedItems().isEmpty() ? -1 : list_->currentRow();
}

void QtListBox::setListIndex(int index) {
    const QSignalBlocker block(list_);
    list_->setCurrentRow(index);
}

// --- window --------------------------------------------------------------------------------

QtWindow::QtWindow(QDialog* dialog, const FormSpec&, const FormMetrics& metrics)
    : dialog_(dialog), metrics_(metrics) {}

int QtWindow::left() const {
    return cache_.read(TwipsCache::Left, dialog_->x(), metrics_);
}
int QtWindow::top() const {
    return cache_.read(TwipsCache::Top, dialog_->y(), metrics_);
}
int QtWindow::width() const {
    return cache_.read(TwipsCache::Width, dialog_->width(), metrics_) + 2 * metrics_.frameSide;
}
int QtWindow::height() const {
    return cache_.read(TwipsCache::Height, dialog_->height(), metrics_) + metrics_.frameTop +
           metrics_.frameSide;
}

void QtWindow::setLeft(int twips) {
    dialog_->move(cache_.write(TwipsCache::Left, twips, metrics_), dialog_->y());
}
void QtWindow::setTop(int twips) {
    dialog_->move(dialog_->x(), cache_.write(TwipsCache::Top, twips, metrics_));
}
void QtWindow::setWidth(int twips) {
    const int w = cache_.write(TwipsCache::Width, twips - 2 * metrics_.frameSide, metrics_);
    dialog_->setFixedSize(w, dialog_->height());
}
void QtWindow::setHeight(int twips) {
    const int h =
        cache_.write(TwipsCache::Height, twips - metrics_.frameTop - metrics_.frameSide, metrics_);
    dialog_->setFixedSize(dialog_->width(), h);
}

std::string QtWindow::caption() const {
    return fromQt(dialog_->windowTitle());
}
void QtWindow::setCaption(const std::string& text) {
    dialog_->setWindowTitle(toQt(text));
}
bool QtWindow::enabled() const {
    return dialog_->isEnabled();
}
void QtWindow::setEnabled(bool on) {
    dialog_->setEnabled(on);
}
bool QtWindow::visible() const {
    return dialog_->isVisible();
}
void QtWindow::setVisible(bool on) {
    dialog_->setVisible(on);
    if (on) {
        dialog_->raise();
        dialog_->activateWindow();
    }
}

double QtWindow::screenWidth() const {
    const QScreen* screen = dialog_->screen();
    return screen ? screen->geometry().width() * 1440.0 / metrics_.dpi : 0.0;
}

std::string QtWindow::popupMenu(const std::vector<MenuItem>& items, int x, int y) {
    QMenu menu(dialog_);
    // A screen reader names the menu after the button that opened it, which has the focus.
    if (QWidget* owner = QApplication::focusWidget(); owner && owner->window() == dialog_)
        if (QAccessibleInterface* button = QAccessible::queryAccessibleInterface(owner))
            menu.setAccessibleName(button->text(QAccessible::Name));
    for (const auto& item : items) {
        if (item.caption == "-") {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(toQt(item.caption));
        action->setData(toQt(item.name));
    }
    const QAction* chosen =
        menu.exec(dialog_->mapToGlobal(QPoint(metrics_.pixels(x), metrics_.pixels(y))));
    return chosen ? fromQt(chosen->data().toString()) : std::string();
}

}  // namespace tarvo::qt
