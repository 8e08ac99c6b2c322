// The controls and windows of the Qt front end behind the interfaces the forms use: each
// wraps its Qt widget and converts twips to pixels by the form's DPI.
#pragma once

#include <QRect>
#include <QString>
#include <array>
#include <functional>
#include <string>

#include "platform/controls.h"
#include "platform/form_layout.h"

class QComboBox;
class QDialog;
class QListWidget;
class QWidget;

namespace tarvo::qt {

// What every control of a form shares: its DPI and the design frame around the client area.
struct FormMetrics {
    double dpi = 96;
    int frameSide = 45;  // twips
    int frameTop = 375;  // twips
    int pixels(int twips) const;
    int twips(int pixels) const;
};

// UTF-8 text and UTF-16 positions: the core counts code points, Qt counts UTF-16 units.
QString toQt(const std::string& text);
std::string fromQt(const QString& text);
int codePointsBefore(const QString& text, int utf16Index);
int utf16IndexOf(const QString& text, int codePoints);

// The last position or size written in twips, kept while the widget still has the pixels it
// got for it, so a value written is read back exactly (pixels are coarser than twips).
class TwipsCache {
public:
    enum Axis { Left, Top, Width, Height };
    int read(Axis axis, int currentPixels, const FormMetrics& m) const;
    // Records the twips and returns the pixels they give.
    int write(Axis axis, int twips, const FormMetrics& m);
    // The pixels the widget really got for the twips last written (a control kept inside its
    // window stands a little off the pixels its twips give).
    void placed(Axis axis, int pixels);

private:
    std::array<int, 4> twips_{};
    std::array<int, 4> pixels_{};
    std::array<bool, 4> set_{};
};

class QtControl : public virtual Control {
public:
    QtControl(QWidget* widget, const ControlSpec& spec, const FormMetrics& metrics);
    QWidget* widget() const { return widget_; }
    const std::string& name() const { return name_; }
    ControlKind kind() const { return kind_; }

    int left() const override;
    void setLeft(int twips) override;
    int top() const override;
    void setTop(int twips) override;
    int width() const override;
    void setWidth(int twips) override;
    int height() const override;
    void setHeight(int twips) override;
    std::string caption() const override;
    void setCaption(const std::string& text) override;
    bool enabled() const override;
    void setEnabled(bool on) override;
    bool visible() const override;
    void setVisible(bool on) override;

    // Called with the new caption each time the form sets one.
    std::function<void(const std::string&)> captionChanged;
    // Moves the control by pixels, as a control further left on its row grew to its text.
    void shiftRight(int pixels);
    // Widens the control to pixels, for a caption longer than the table's width.
    void growTo(int pixels);

protected:
    // Puts the widget where its twips say, moved back inside its parent where they would put
    // part of it outside (the ">" button stands over the dialog's top right corner by design).
    void place();

    QWidget* widget_;
    std::string name_;
    ControlKind kind_;
    const FormMetrics& metrics_;
    mutable TwipsCache cache_;
    QRect design_;  // pixels, as the twips give them
};

class QtCheckBox final : public QtControl, public CheckBox {
public:
    using QtControl::QtControl;
    int value() const override;
    void setValue(int value) override;
};

// The argument box: an editable QComboBox whose list changes only when the program says so
// (nothing typed is ever inserted) and which completes nothing by itself.
class QtComboBox final : public QtControl, public ComboBox {
public:
    QtComboBox(QComboBox* box, const ControlSpec& spec, const FormMetrics& metrics);
    std::string text() const override;
    void setText(const std::string& text) override;
    int selStart() const override;
    void setSelStart(int pos) override;
    int selLength() const override;
    void setSelLength(int length) override;
    int listCount() const override;
    std::string list(int index) const override;
    void addItem(const std::string& item) override;
    void clear() override;
    int listIndex() const override;
    void setListIndex(int index) override;
    int findString(const std::string& prefix) const override;
    void setFocus() override;
    void removeItem(int index) override;
    QComboBox* box() const { return box_; }

private:
    QComboBox* box_;
};

// The list box reports a changed selection only when the user changes it, as on Windows.
class QtListBox final : public QtControl, public ListBox {
public:
    QtListBox(QListWidget* list, const ControlSpec& spec, const FormMetrics& metrics);
    int listCount() const override;
    std::string list(int index) const override;
    void addItem(const std::string& item) override;
    void removeItem(int index) override;
    int listIndex() const override;
    void setListIndex(int index) override;

private:
    QListWidget* list_;
};

// A top-level form. Its size is the client area plus the design frame, so the forms'
// arithmetic on whole-window sizes works whatever frame the window manager draws.
class QtWindow final : public Window {
public:
    QtWindow(QDialog* dialog, const FormSpec& spec, const FormMetrics& metrics);
    QDialog* dialog() const { return dialog_; }

    int left() const override;
    void setLeft(int twips) override;
    int top() const override;
    void setTop(int twips) override;
    int width() const override;
    void setWidth(int twips) override;
    int height() const override;
    void setHeight(int twips) override;
    std::string caption() const override;
    void setCaption(const std::string& text) override;
    bool enabled() const override;
    void setEnabled(bool on) override;
    bool visible() const override;
    void setVisible(bool on) override;
    double screenWidth() const override;
    std::string popupMenu(const std::vector<MenuItem>& items, int x, int y) override;
    std::uintptr_t nativeHandle() const override { return 0; }

private:
    QDialog* dialog_;
    const FormMetrics& metrics_;
    mutable TwipsCache cache_;
};

}  // namespace tarvo::qt
