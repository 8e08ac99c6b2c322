// The form builder: turns a FormSpec table into a real window with its controls (twips to
// pixels by the window's DPI), finds the controls by name afterwards, and hands the window's
// events to the form's handlers by control name.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "frontend/win32/accessibility.h"
#include "platform/form_layout.h"
#include "frontend/win32/win_controls.h"
#include "platform/win32/win_handles.h"

namespace tarvo::win {

// The colour of a link label's text: the system's colour for links (which a high-contrast
// scheme sets with the rest); where a scheme gives links a colour that cannot be read on the
// window's background (Wine's light theme: light grey on white), the window's text colour, the
// underline still marking the link.
COLORREF linkTextColour();

// The handlers a form gives its window. Each may be left empty.
struct FormEvents {
    // A button, check box or link label was clicked, or a list box's selection changed.
    std::function<void(const std::string& control)> click;
    // A list box item was double-clicked.
    std::function<void(const std::string& control)> dblClick;
    // Files were dropped on the form ("" as the control) or on a control; at least one path.
    std::function<void(const std::string& control, const std::vector<std::string>& files)> drop;
    // The close box or Alt+F4; without a handler the window stays.
    std::function<void()> close;
    // Key preview: every character typed anywhere in the window, before the control sees it.
    // Returns the character to pass on; 0 swallows it.
    std::function<int(int key)> keyPreview;
    // A character typed in the named control, after the key preview; same result rule.
    std::map<std::string, std::function<int(int key)>> keyPress;
};

struct BuildOptions {
    int dpi = 0;         // 0: the window's own DPI; tests may fix another
    int frameSide = 45;  // the design frame around the client area, twips
    int frameTop = 375;  // the caption bar and top frame at design, twips
};

class NativeForm {
  public:
    // Builds the window hidden, centred on the screen.
    explicit NativeForm(const FormSpec& layout, BuildOptions options = {});
    ~NativeForm();
    NativeForm(const NativeForm&) = delete;
    NativeForm& operator=(const NativeForm&) = delete;

    HWND hwnd() const { return metrics_.form; }
    int dpi() const { return metrics_.dpi; }
    WinWindow& window() { return window_; }
    FormEvents events;

    // The control of that name; null when the table has none.
    WinControl* find(const std::string& name) const;
    Control& control(const std::string& name) const;
    ComboBox& comboBox(const std::string& name) const;
    CheckBox& checkBox(const std::string& name) const;
    ListBox& listBox(const std::string& name) const;

    // Shows an icon in an image control (the settings window shows the program's icon).
    void setImage(const std::string& name, HICON icon);
    // The program's icon (IDI_TARVO) at the system's large icon size; null when the
    // executable has none.
    static HICON programIcon();

    void show() { window_.setVisible(true); }
    void hide() { window_.setVisible(false); }

    // The form that owns hwnd (the window itself or anything inside it); null for none.
    static NativeForm* fromWindow(HWND hwnd);
    // Key preview, the controls' key handlers and the dialog manager (Tab, access keys, Enter
    // on the default button) for one message of this form. True when the message was handled
    // and must not be translated or dispatched again.
    bool preTranslate(MSG& msg);

    // Puts the window and every control where the table says at another DPI.
    void applyDpi(int dpi);

    // What a screen reader is told of the control beyond its caption; for a combo box also of
    // its edit field, which has the keyboard.
    void annotate(const std::string& control, const Annotation& annotation);
    Annotations& annotations() { return annotations_; }
    // Makes the label the window just before the control in z-order, where the system looks
    // for the name of a control without a caption of its own. Labels are no tab stops, so the
    // order of Tab is the same.
    void placeLabelBefore(const std::string& label, const std::string& control);

  private:
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK accessibleSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                               UINT_PTR id, DWORD_PTR data);
    static LRESULT CALLBACK dropSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                         DWORD_PTR data);
    INT_PTR handle(UINT msg, WPARAM wp, LPARAM lp);
    void handleCommand(WORD id, WORD code);
    void handleDrop(HDROP drop, const std::string& control);
    WinControl* byId(WORD id) const;
    WinControl* byWindow(HWND hwnd) const;
    HFONT font(const FontSpec& layout);
    void createControl(const ControlSpec& layout, WORD id);
    void createToolTips();
    // Shows text as the control's tool tip, creating the form's tool-tip window on first use.
    void addToolTip(HWND control, const std::string& text);

    FormSpec spec_;
    BuildOptions options_;
    FormMetrics metrics_;
    WinWindow window_;
    std::vector<std::unique_ptr<WinControl>> controls_;
    std::map<std::string, UniqueFont> fonts_;  // by face, size, style and charset
    HWND toolTip_ = nullptr;
    Annotations annotations_;
    // Tool tips wait for the pointer: the first paint does not need their window.
    struct PendingToolTip {
        HWND control;
        WinControl* wholeText;  // a label whose whole caption is its tool tip, or null
        std::string text;       // the table's tool tip otherwise
    };
    std::vector<PendingToolTip> pendingToolTips_;
    // Set false when the form is destroyed, so a handler that ends the form is noticed by the
    // code that called it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tarvo::win
