// The controls and the window of a built form, implemented on real HWNDs. Geometry is in
// twips converted by the form's DPI.
//
// Twips and pixels: a twips value converts to whole pixels, so reading back a position would
// not always give the value that was set (4995 twips is 499.5 pixels at 144 DPI). Each
// wrapper remembers, per edge and size, the twips it last set together with the pixel value
// that became; a read gives those twips back while the pixels are unchanged and converts the
// real pixels otherwise (the window system or the user changed them). So the argument dialog
// at its design size always reports its design outer width, at any DPI.
//
// A window's width and height are its client size plus the design frame (45 twips on each
// side and the caption bar's design height above), not the real frame: the layout's
// arithmetic assumes the design frame, and real frames differ between systems and themes.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/form_layout.h"

namespace tarvo::win {

// What every wrapper of one form shares: the form's window and its current DPI.
struct FormMetrics {
    HWND form = nullptr;
    int dpi = 96;
    int frameSide = 45;  // design frame, twips
    int frameTop = 375;  // caption bar and top frame at design, twips
};

// Remembered twips per geometry value (left, top, width, height) and the pixels they became.
class TwipsCache {
public:
    enum Axis { Left, Top, Width, Height };
    int read(Axis axis, int currentPixels, int dpi) const;
    // Records the twips and returns the pixels they convert to.
    int write(Axis axis, int twips, int dpi);

private:
    std::array<int, 4> twips_{};
    std::array<int, 4> pixels_{};
    std::array<bool, 4> set_{};
};

class WinControl : public virtual Control {
public:
    WinControl(const FormMetrics& metrics, HWND hwnd, const ControlSpec& layout, WinControl* frame);
    ~WinControl() override = default;
    WinControl(const WinControl&) = delete;
    WinControl& operator=(const WinControl&) = delete;

    HWND hwnd() const { return hwnd_; }
    const std::string& name() const { return name_; }
    ControlKind kind() const { return kind_; }
    bool acceptsDrops() const { return acceptsDrops_; }
    // A label showing data (see ControlSpec::showsData).
    bool showsData() const { return showsData_; }
    // From now on the tool tip holds the control's whole caption, whatever it is set to.
    void showWholeTextIn(HWND toolTip) { toolTip_ = toolTip; }
    // Called with the new caption each time setCaption changes it (what a screen reader is
    // told may follow the caption).
    std::function<void(const std::string&)> captionChanged;
    // True when hwnd is this control or one of its inner windows (a combo box's edit).
    virtual bool owns(HWND hwnd) const { return hwnd == hwnd_; }

    int left() const override { return read(TwipsCache::Left); }
    void setLeft(int twips) override { write(TwipsCache::Left, twips); }
    int top() const override { return read(TwipsCache::Top); }
    void setTop(int twips) override { write(TwipsCache::Top, twips); }
    int width() const override { return read(TwipsCache::Width); }
    void setWidth(int twips) override { write(TwipsCache::Width, twips); }
    int height() const override { return read(TwipsCache::Height); }
    void setHeight(int twips) override { write(TwipsCache::Height, twips); }
    std::string caption() const override;
    void setCaption(const std::string& text) override;
    bool enabled() const override;
    // A control that has the keyboard hands it to the next enabled control in Tab order
    // before it is disabled, so the keyboard never sits on a dead control.
    void setEnabled(bool on) override;
    bool visible() const override;
    void setVisible(bool on) override;

    // Puts the control where its twips say at the form's current DPI (after a DPI change),
    // taking the values it reports now at the old DPI.
    struct Snapshot {
        int left, top, width, height;
    };
    Snapshot snapshot() const { return {left(), top(), width(), height()}; }
    void relayout(const Snapshot& s);

protected:
    // The height to give SetWindowPos for a visible height (a combo box adds its list).
    virtual int windowHeightFor(int pixels) const { return pixels; }
    const FormMetrics& metrics_;

private:
    RECT rectInContainer() const;  // pixels, relative to the frame or the form's client area
    int currentPixels(TwipsCache::Axis axis) const;
    int read(TwipsCache::Axis axis) const;
    void write(TwipsCache::Axis axis, int twips);
    void place(int left, int top, int width, int height);

    HWND hwnd_;
    std::string name_;
    ControlKind kind_;
    bool acceptsDrops_;
    bool showsData_;
    HWND toolTip_ = nullptr;
    WinControl* frame_;
    std::vector<WinControl*> children_;
    TwipsCache cache_;
};

class WinCheckBox final : public WinControl, public CheckBox {
public:
    using WinControl::WinControl;
    int value() const override;
    void setValue(int value) override;
};

class WinComboBox final : public WinControl, public ComboBox {
public:
    WinComboBox(const FormMetrics& metrics, HWND hwnd, const ControlSpec& layout,
                WinControl* frame);
    HWND edit() const { return edit_; }
    bool owns(HWND hwnd) const override { return hwnd == this->hwnd() || hwnd == edit_; }

    std::string text() const override;
    void setText(const std::string& text) override;
    int selStart() const override;
    void setSelStart(int pos) override;
    int selLength() const override;
    void setSelLength(int length) override;
    int listCount() const override;
    std::string list(int index) const override;
    void addItem(const std::string& item) override;
    void removeItem(int index) override;
    void clear() override;
    int listIndex() const override;
    void setListIndex(int index) override;
    int findString(const std::string& prefix) const override;
    // Through the dialog manager, so the default button follows the focus.
    void setFocus() override;

    bool droppedDown() const;
    // Makes the drop-down list as wide as its widest item (never narrower than the box, never
    // wider than the screen), so items that differ only at their end can be told apart.
    void fitDroppedWidth();

    // Pixels of the drop-down list below the edit field.
    static constexpr int kListRows = 12;

protected:
    int windowHeightFor(int pixels) const override;

private:
    // The selection in UTF-16 units (start <= end).
    void editSelection(DWORD& start, DWORD& end) const;
    HWND edit_ = nullptr;
};

class WinListBox final : public WinControl, public ListBox {
public:
    using WinControl::WinControl;
    int listCount() const override;
    std::string list(int index) const override;
    void addItem(const std::string& item) override;
    void removeItem(int index) override;
    int listIndex() const override;
    void setListIndex(int index) override;
};

// The form's own window. Left and top are the outer window's on the screen; width and height
// are the client size plus the design frame (see the top of this file).
class WinWindow final : public Window {
public:
    explicit WinWindow(const FormMetrics& metrics) : metrics_(metrics) {}

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
    // Showing also gives the focus to the first tab stop unless a control already has it.
    void setVisible(bool on) override;

    double screenWidth() const override;
    std::string popupMenu(const std::vector<MenuItem>& items, int x, int y) override;
    std::uintptr_t nativeHandle() const override {
        return reinterpret_cast<std::uintptr_t>(metrics_.form);
    }

    // Sets the client area to the given twips (design frame excluded) after a DPI change.
    void relayout(int widthTwips, int heightTwips);
    // Centres the window on the screen. Until the window is first shown or placed by left and
    // top, changes of its size keep it centred: a form's load may make it taller or wider,
    // and the user should first see it in the middle of the screen all the same.
    void centre();

private:
    HWND hwnd() const { return metrics_.form; }
    int frameWidthTwips() const { return 2 * metrics_.frameSide; }
    int frameHeightTwips() const { return metrics_.frameTop + metrics_.frameSide; }
    void setClientSize(int widthPixels, int heightPixels);
    void place(int outerWidth, int outerHeight);

    const FormMetrics& metrics_;
    TwipsCache cache_;
    bool keepCentred_ = false;
};

}  // namespace tarvo::win
