// The link label, the data label and the frame of the Qt front end.
#include "frontend/qt/qt_widgets.h"

#include <qdrawutil.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStyleOptionFrame>
#include <QStylePainter>
#include <QTextDocument>

namespace tarvo::qt {

// --- link label ----------------------------------------------------------------------------

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    // The palette's link colour, so a dark or high-contrast theme keeps it readable.
    setForegroundRole(QPalette::Link);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void LinkLabel::activate() {
    if (activated) activated();
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            if (event->modifiers() & ~Qt::KeypadModifier) break;
            event->accept();
            activate();
            return;
        default:
            break;
    }
    QLabel::keyPressEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        activate();
}

void LinkLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) return;
    QStylePainter painter(this);
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.backgroundColor = palette().color(backgroundRole());
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
}

// --- data label ----------------------------------------------------------------------------

DataLabel::DataLabel(const QString& text, QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setData(text);
}

void DataLabel::setData(const QString& text) {
    setText(text);
    // As plain text: a file name may look like markup ("<b>.sh").
    setToolTip(Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal));
}

// The width the text may take: up to the first control that stands in front of the label.
int DataLabel::room() const {
    int right = geometry().right();
    if (const QWidget* parent = parentWidget()) {
        bool front = false;
        for (const QObject* child : parent->children()) {
            if (child == this) {
                front = true;  // later children stand in front
                continue;
            }
            const auto* sibling = qobject_cast<const QWidget*>(child);
            if (!front || !sibling || sibling->isHidden()) continue;
            const QRect other = sibling->geometry();
            if (other.intersects(geometry()) && other.left() > x())
                right = std::min(right, other.left() - 1);
        }
    }
    return std::max(0, right - x() + 1 - 2 * margin());
}

QString DataLabel::shownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, room());
}

void DataLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    area.setWidth(room());
    style()->drawItemText(&painter, area, static_cast<int>(alignment()) | Qt::TextSingleLine,
                          palette(), isEnabled(), shownText(), foregroundRole());
}

// --- frame ---------------------------------------------------------------------------------

FrameBox::FrameBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

QRect FrameBox::borderRect() const {
    return rect().adjusted(0, fontMetrics().height() / 2, 0, 0);
}

void FrameBox::paintEvent(QPaintEvent*) {
    // An etched line in the palette's shades, as a Windows frame: the styles' own frame would
    // put its border below the caption.
    QPainter painter(this);
    qDrawShadeRect(&painter, borderRect(), palette(), true, 1, 0);
    if (title().isEmpty()) return;
    // The caption on the line, on the window's own background, with a blank either side.
    const QFontMetrics metrics = fontMetrics();
    const int blank = metrics.horizontalAdvance(QLatin1Char(' '));
    const QRect caption(metrics.averageCharWidth(), 0,
                        metrics.horizontalAdvance(title()) + 2 * blank, metrics.height());
    painter.fillRect(caption, palette().brush(backgroundRole()));
    style()->drawItemText(&painter, caption, Qt::AlignCenter | Qt::TextSingleLine, palette(),
                          isEnabled(), title(), QPalette::WindowText);
}

// --- button ------------------------------------------------------------------------------

void FocusButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    if (!hasFocus()) return;
    QStylePainter painter(this);
    QStyleOptionButton button;
    initStyleOption(&button);
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &button, this);
    focus.backgroundColor = palette().color(QPalette::Button);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
}

// --- list box ------------------------------------------------------------------------------

void FocusListBox::paintEvent(QPaintEvent* event) {
    QListWidget::paintEvent(event);
    if (!hasFocus() || count() > 0) return;
    QPainter painter(viewport());
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = viewport()->rect();
    focus.backgroundColor = palette().color(QPalette::Base);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
}

void FocusListBox::focusInEvent(QFocusEvent* event) {
    QListWidget::focusInEvent(event);
    viewport()->update();
}

void FocusListBox::focusOutEvent(QFocusEvent* event) {
    QListWidget::focusOutEvent(event);
    viewport()->update();
}

}  // namespace tarvo::qt
