// The few widgets of the Qt front end that Qt has no ready equivalent for: a link label that
// the keyboard reaches, a label that shows a file name cut with an ellipsis, and a frame whose
// caption sits on its border line. Each draws in the colours of the palette it is given.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <functional>

namespace tarvo::qt {

// A link: drawn in the palette's link colour, a stop of the Tab order with a visible focus
// frame, opened by a click, Enter, Return or Space. Screen readers see it as a link.
class LinkLabel final : public QLabel {
public:
    LinkLabel(const QString& text, QWidget* parent);
    // Opens the link: what a click, the keys and the accessibility action do.
    void activate();
    std::function<void()> activated;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

// A label that shows data (a file name): its text stays whole (what text() and screen readers
// give), is shown on one line cut with an ellipsis where it does not fit, and is its tool tip.
// The ellipsis stands before any control in front of the label, so nothing hides it.
class DataLabel final : public QLabel {
public:
    DataLabel(const QString& text, QWidget* parent);
    void setData(const QString& text);
    // The text as drawn: the whole text, or its start and an ellipsis.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int room() const;
};

// A frame whose caption stands on its border line, as on Windows, in any style: Fusion draws
// the caption above the border, where the controls the frame holds would reach over the line.
class FrameBox final : public QGroupBox {
public:
    FrameBox(const QString& title, QWidget* parent);
    // The border's rectangle, in the frame's coordinates.
    QRect borderRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A push button that marks the focus inside itself: the Fusion style draws a focused button
// like the default one, so the default button looked the same with the focus and without.
class FocusButton final : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A list box that shows where the focus is even while it holds no entry (the style marks only
// the current entry).
class FocusListBox final : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace tarvo::qt
