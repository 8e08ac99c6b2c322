// In-memory controls and windows for the core's tests.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "common/utf8.h"
#include "platform/controls.h"

namespace tarvo::test {

class FakeControl : public virtual Control {
public:
    FakeControl(int left = 0, int top = 0, int width = 0, int height = 0, std::string caption = {})
        : left_(left), top_(top), width_(width), height_(height), caption_(std::move(caption)) {}
    int left() const override { return left_; }
    void setLeft(int v) override { left_ = v; }
    int top() const override { return top_; }
    void setTop(int v) override { top_ = v; }
    int width() const override { return width_; }
    void setWidth(int v) override { width_ = v; }
    int height() const override { return height_; }
    void setHeight(int v) override { height_ = v; }
    std::string caption() const override { return caption_; }
    void setCaption(const std::string& t) override { caption_ = t; }
    bool enabled() const override { return enabled_; }
    void setEnabled(bool on) override { enabled_ = on; }
    bool visible() const override { return visible_; }
    void setVisible(bool on) override { visible_ = on; }

private:
    int left_, top_, width_, height_;
    std::string caption_;
    bool enabled_ = true;
    bool visible_ = true;
};

class FakeCheckBox : public FakeControl, public CheckBox {
public:
    using FakeControl::FakeControl;
    int value() const override { return value_; }
    void setValue(int v) override { value_ = v; }

private:
    int value_ = 0;
};

// Behaves as an editable drop-down combo box: the list search ignores ASCII letter case, as
// the Windows one does for these texts.
class FakeComboBox : public FakeControl, public ComboBox {
public:
    using FakeControl::FakeControl;
    std::string text() const override { return text_; }
    void setText(const std::string& t) override {
        text_ = t;
        selStart_ = 0;
        selLength_ = 0;
    }
    int selStart() const override { return selStart_; }
    void setSelStart(int p) override {
        selStart_ = std::clamp(p, 0, length());
        selLength_ = 0;
    }
    int selLength() const override { return selLength_; }
    void setSelLength(int n) override { selLength_ = std::clamp(n, 0, length() - selStart_); }
    int listCount() const override { return static_cast<int>(items_.size()); }
    std::string list(int i) const override { return items_.at(static_cast<std::size_t>(i)); }
    void addItem(const std::string& item) override { items_.push_back(item); }
    void clear() override {
        items_.clear();
        text_.clear();
        listIndex_ = -1;
    }
    int listIndex() const override { return listIndex_; }
    void setListIndex(int i) override { listIndex_ = i; }
    int findString(const std::string& prefix) const override {
        for (std::size_t i = 0; i < items_.size(); ++i) {
            const std::string& item = items_[i];
            if (item.size() < prefix.size()) continue;
            bool match = true;
            for (std::size_t k = 0; k < prefix.size() && match; ++k)
                match = std::tolower(static_cast<unsigned char>(item[k])) ==
                        std::tolower(static_cast<unsigned char>(prefix[k]));
            if (match) return static_cast<int>(i);
        }
        return -1;
    }

    void setFocus() override { ++focused; }
    int focused = 0;  // how often the box was given the focus

    // What a plain key press does to the edit text when nothing swallowed it.
    void type(int key) {
        std::string before = utf8::prefix(text_, static_cast<std::size_t>(selStart_));
        const std::string after =
            text_.substr(utf8::prefix(text_, static_cast<std::size_t>(selStart_ + selLength_))
                             .size());
        if (key == 8) {
            if (selLength_ == 0 && !before.empty())
                before = utf8::prefix(before, utf8::length(before) - 1);
        } else {
            before += utf8::encode(static_cast<char32_t>(key));
        }
        text_ = before + after;
        selStart_ = static_cast<int>(utf8::length(before));
        selLength_ = 0;
    }
    std::string selectedText() const {
        const std::string upto = utf8::prefix(text_, static_cast<std::size_t>(selStart_));
        return utf8::prefix(text_.substr(upto.size()), static_cast<std::size_t>(selLength_));
    }
    const std::vector<std::string>& items() const { return items_; }

private:
    int length() const { return static_cast<int>(utf8::length(text_)); }
    std::string text_;
    int selStart_ = 0;
    int selLength_ = 0;
    int listIndex_ = -1;
    std::vector<std::string> items_;
};

class FakeListBox : public FakeControl, public ListBox {
public:
    using FakeControl::FakeControl;
    int listCount() const override { return static_cast<int>(items_.size()); }
    std::string list(int i) const override { return items_.at(static_cast<std::size_t>(i)); }
    void addItem(const std::string& item) override { items_.push_back(item); }
    void removeItem(int i) override {
        items_.erase(items_.begin() + i);
        if (listIndex_ >= static_cast<int>(items_.size())) listIndex_ = -1;
    }
    int listIndex() const override { return listIndex_; }
    void setListIndex(int i) override { listIndex_ = i; }
    std::vector<std::string> items_;

private:
    int listIndex_ = -1;
};

// A window whose system may adjust a requested width (as real frames round to pixels).
class FakeWindow : public FakeControl, public Window {
public:
    using FakeControl::FakeControl;
    double screenWidth() const override { return screenWidth_; }
    std::string popupMenu(const std::vector<MenuItem>& items, int x, int y) override {
        lastMenu = items;
        menuX = x;
        menuY = y;
        return menuChoice;
    }
    std::uintptr_t nativeHandle() const override { return 0x1234; }
    void setWidth(int v) override { FakeControl::setWidth(v + widthAdjust); }

    double screenWidth_ = 18000;
    int widthAdjust = 0;
    std::string menuChoice;
    std::vector<MenuItem> lastMenu;
    int menuX = -1, menuY = -1;
};

}  // namespace tarvo::test
