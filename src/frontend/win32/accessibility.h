// What a screen reader is told of a control beyond what the system reads from the window
// itself: names, descriptions and roles annotated through the system's accessibility layer.
#pragma once

#include <windows.h>

#include <map>
#include <string>

struct IAccPropServices;

namespace tarvo::win {

// Empty fields leave the system's own reading: the caption (or, for a box without one, the
// label just before it in z-order) as the name, the window class's role.
struct Annotation {
    std::string name;
    std::string description;
    long role = 0;  // a ROLE_SYSTEM_* value; 0: the class's own
    bool operator==(const Annotation&) const = default;
};

// The annotations of one form's windows. They reach the system at the first question an
// accessibility client (a screen reader, UI Automation) asks one of the form's windows, and at
// once from then on: a run without such a client loads nothing for them (oleacc, COM).
class Annotations {
public:
    Annotations() = default;
    ~Annotations();
    Annotations(const Annotations&) = delete;
    Annotations& operator=(const Annotations&) = delete;

    void set(HWND hwnd, const Annotation& annotation);
    // What hwnd is annotated with; null when nothing.
    const Annotation* find(HWND hwnd) const;
    // A client asked one of the form's windows for its accessible object (WM_GETOBJECT).
    void queried();
    // True once the annotations went to the system's annotation service.
    bool delivered() const { return services_ != nullptr; }
    // Takes every annotation back from the system, before the windows are destroyed.
    void clear();

private:
    void deliver(HWND hwnd, const Annotation& annotation);

    std::map<HWND, Annotation> wanted_;
    bool queried_ = false;
    IAccPropServices* services_ = nullptr;
};

}  // namespace tarvo::win
