// The Qt form builder: turns a FormSpec table into a real window with its controls (twips
// to pixels by the screen's DPI, in the desktop's UI font), finds the controls by name, and
// hands the window's events to the form's handlers by control name, with the key preview of
// the Windows forms in front of the controls.
#pragma once

#include <QDialog>

class QKeyEvent;
class QMimeData;

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "frontend/qt/qt_controls.h"
#include "platform/form_layout.h"

namespace tarvo::qt {

// The handlers a form gives its window. Each may be left empty.
struct FormEvents {
    // A button, check box or link label was clicked, or the user changed a list's selection.
    std::function<void(const std::string& control)> click;
    // Local files were dropped on the form ("" as the control) or on a control; at least one.
    std::function<void(const std::string& control, const std::vector<std::string>& files)> drop;
    // The close box; without a handler the window stays.
    std::function<void()> close;
    // Key preview: every character typed anywhere in the window, before the control sees it
    // (Enter 13, Esc 27, Backspace 8). Returns the character to pass on; 0 swallows it.
    std::function<int(int key)> keyPreview;
    // A character typed in the named control, after the key preview; same result rule.
    std::map<std::string, std::function<int(int key)>> keyPress;
};

struct BuildOptions {
    double dpi = 0;      // 0: the screen's logical DPI; tests may fix another
    int frameSide = 45;  // the design frame around the client area, twips
    int frameTop = 375;  // the caption bar and top frame at design, twips
};

class QtForm final : public QDialog {
public:
    // Builds the window hidden, centred on the screen.
    explicit QtForm(const FormSpec& layout, BuildOptions options = {});
    ~QtForm() override;

    FormEvents events;
    QtWindow& window() { return *window_; }
    const FormMetrics& metrics() const { return metrics_; }

    // The control of that name; null when the table has none.
    QtControl* find(const std::string& name) const;
    Control& control(const std::string& name) const;
    ComboBox& comboBox(const std::string& name) const;
    CheckBox& checkBox(const std::string& name) const;
    ListBox& listBox(const std::string& name) const;

    // Shows the window with the focus on the first control in tab order.
    void showForm();

    // The least room between a caption and the control after it on its row, in twips.
    static constexpr int kLabelGap = 60;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Esc reaches a form without key preview here: it does nothing, as a Windows dialog
    // without a Cancel button.
    void reject() override {}

private:
    QWidget* createWidget(const ControlSpec& spec, QWidget* parent);
    QFont fontFor(const FontSpec& face) const;
    // The control a widget belongs to (the widget itself or one inside it); null for none.
    QtControl* controlOf(QObject* object) const;
    bool handleKey(QObject* watched, QKeyEvent* key);
    bool handleDrag(QObject* watched, QEvent* event);
    void watch(QWidget* widget, bool drops);
    void keepLabelsApart();

    FormSpec spec_;
    FormMetrics metrics_;
    std::unique_ptr<QtWindow> window_;
    std::vector<std::unique_ptr<QtControl>> controls_;
    std::map<const QObject*, QtControl*> owners_;
};

// The local paths among a drop's URLs, in order; empty when it carries none.
std::vector<std::string> localFilesOf(const QMimeData* data);

}  // namespace tarvo::qt
