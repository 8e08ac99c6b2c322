// The controls and windows as the forms' event procedures see them. Positions and sizes are
// in twips (1/1440 inch); each front end converts them by its window's DPI. Caret positions
// and selection lengths count characters (code points) of the UTF-8 text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo {

class Control {
public:
    virtual ~Control() = default;
    virtual int left() const = 0;
    virtual void setLeft(int twips) = 0;
    virtual int top() const = 0;
    virtual void setTop(int twips) = 0;
    virtual int width() const = 0;
    virtual void setWidth(int twips) = 0;
    virtual int height() const = 0;
    virtual void setHeight(int twips) = 0;
    virtual std::string caption() const = 0;
    virtual void setCaption(const std::string& text) = 0;
    virtual bool enabled() const = 0;
    virtual void setEnabled(bool on) = 0;
    virtual bool visible() const = 0;
    virtual void setVisible(bool on) = 0;
};

class CheckBox : public virtual Control {
public:
    // 0 clear, 1 set.
    virtual int value() const = 0;
    virtual void setValue(int value) = 0;
};

// An editable drop-down combo box: edit text with caret and selection, and an unsorted list.
class ComboBox : public virtual Control {
public:
    virtual std::string text() const = 0;
    virtual void setText(const std::string& text) = 0;
    virtual int selStart() const = 0;
    virtual void setSelStart(int pos) = 0;
    virtual int selLength() const = 0;
    // The box cuts the length at the end of the text.
    virtual void setSelLength(int length) = 0;
    virtual int listCount() const = 0;
    virtual std::string list(int index) const = 0;
    virtual void addItem(const std::string& item) = 0;
    // Removes the item at index; the text, caret and selection stay. This way works on any
    // box through the calls above; a front end may do it in one step.
    virtual void removeItem(int index) {
        if (index < 0 || index >= listCount()) return;
        std::vector<std::string> rest;
        for (int i = 0; i < listCount(); ++i)
            if (i != index) rest.push_back(list(i));
        const std::string keptText = text();
        const int start = selStart(), length = selLength();
        clear();
        for (const auto& item : rest) addItem(item);
        setText(keptText);
        setSelStart(start);
        setSelLength(length);
    }
    // Removes every item and the text.
    virtual void clear() = 0;
    virtual int listIndex() const = 0;
    virtual void setListIndex(int index) = 0;
    // The first item in list order that begins with prefix, letter case ignored; -1 for none.
    virtual int findString(const std::string& prefix) const = 0;
    // Gives the box the keyboard focus, as Tab would (the window's default button follows).
    virtual void setFocus() = 0;
};

class ListBox : public virtual Control {
public:
    virtual int listCount() const = 0;
    virtual std::string list(int index) const = 0;
    virtual void addItem(const std::string& item) = 0;
    virtual void removeItem(int index) = 0;
    // The selected index, -1 for none.
    virtual int listIndex() const = 0;
    virtual void setListIndex(int index) = 0;
};

struct MenuItem {
    std::string name;     // the handler's control name, e.g. "browse_addfiles"; empty for none
    std::string caption;  // "-" is a separator line
};

// A top-level window. Its left, top, width and height are those of the whole window, frame
// included, on the screen; the caption is the title bar text.
class Window : public virtual Control {
public:
    // The screen's width in twips.
    virtual double screenWidth() const = 0;
    // Shows items as a pop-up menu with its top-left corner at (x, y), twips in the window's
    // client coordinates; returns the chosen item's name, or empty when nothing was chosen.
    virtual std::string popupMenu(const std::vector<MenuItem>& items, int x, int y) = 0;
    // The native handle as an integer (HWND on Windows), 0 where there is none.
    virtual std::uintptr_t nativeHandle() const = 0;
};

}  // namespace tarvo
