// What screen readers learn about the Qt front end's controls beyond Qt's own reading of them:
// the argument box keeps its name while text is typed into it, the button that widens the
// dialog says whether it is expanded, and link labels are links.
#pragma once

#include <QString>

class QWidget;

namespace tarvo::qt {

enum class AccessibleKind { ArgumentBox, DisclosureButton, Link };

// Gives the widget the accessible reading of that kind. Call before the widget is shown.
void setAccessibleKind(QWidget* widget, AccessibleKind kind);

// A disclosure button's state: expanded or collapsed; screen readers are told of a change.
void setExpanded(QWidget* button, bool expanded);
bool isExpanded(const QWidget* button);

// An accessible name without a caption's trailing colon and blanks ("File Association:").
QString nameFromCaption(const QString& caption);

}  // namespace tarvo::qt
