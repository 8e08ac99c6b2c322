// The accessible readings of the argument box, the disclosure button and the link labels.
#include "frontend/qt/qt_accessible.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

#include "frontend/qt/qt_widgets.h"

namespace tarvo::qt {
namespace {

constexpr char kKindProperty[] = "tarvoAccessibleKind";
constexpr char kExpandedProperty[] = "tarvoExpanded";

// Qt names an editable combo box on Linux by the text typed into it and leaves its purpose to
// a label relation; this box has no label of its own (the label above it shows the file
// name), so its name is the one it is given, and the typed text is its value.
class ArgumentBoxReading final : public QAccessibleWidget {
public:
    explicit ArgumentBoxReading(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    int childCount() const override { return box()->isEditable() ? 2 : 1; }
    QAccessibleInterface* child(int index) const override {
        if (index == 0 && box()->view())
            return QAccessible::queryAccessibleInterface(box()->view());
        if (index == 1 && box()->isEditable())
            return QAccessible::queryAccessibleInterface(box()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child->object() == box()->view()) return 0;
        if (box()->isEditable() && child->object() == box()->lineEdit()) return 1;
        return -1;
    }
    // The edit field has the keyboard while the box has the focus.
    QAccessibleInterface* focusChild() const override {
        return box()->isEditable() ? child(1) : nullptr;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return box()->isEditable() ? box()->lineEdit()->text() : box()->currentText();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = box()->view() && box()->view()->isVisible();
        s.collapsed = !s.expanded;
        s.editable = box()->isEditable();
        return s;
    }
    QStringList actionNames() const override {
        return QStringList(showMenuAction()) + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == showMenuAction())
            box()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

// A push button that shows or hides more of the window: expandable, and expanded or
// collapsed as its state says.
class DisclosureReading final : public QAccessibleWidget {
public:
    explicit DisclosureReading(QAbstractButton* button)
        : QAccessibleWidget(button, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) return button()->text();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = isExpanded(widget());
        s.collapsed = !s.expanded;
        return s;
    }
    QStringList actionNames() const override {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction())
            button()->click();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

class LinkReading final : public QAccessibleWidget {
public:
    explicit LinkReading(LinkLabel* link) : QAccessibleWidget(link, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) return link()->text();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction())
            link()->activate();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    LinkLabel* link() const { return static_cast<LinkLabel*>(widget()); }
};

// Asked before Qt's own readings (factories installed later are asked first); it answers
// only for widgets given a kind here.
QAccessibleInterface* readingFor(const QString& className, QObject* object) {
    const QVariant kind = object ? object->property(kKindProperty) : QVariant();
    if (!kind.isValid()) return nullptr;
    switch (static_cast<AccessibleKind>(kind.toInt())) {
        case AccessibleKind::ArgumentBox:
            if (auto* box = qobject_cast<QComboBox*>(object); box && className == "QComboBox")
                return new ArgumentBoxReading(box);
            break;
        case AccessibleKind::DisclosureButton:
            if (auto* button = qobject_cast<QAbstractButton*>(object);
                button && className == QLatin1String(object->metaObject()->className()))
                return new DisclosureReading(button);
            break;
        case AccessibleKind::Link:
            if (auto* link = dynamic_cast<LinkLabel*>(object); link && className == "QLabel")
                return new LinkReading(link);
            break;
    }
    return nullptr;
}

}  // namespace

void setAccessibleKind(QWidget* widget, AccessibleKind kind) {
    static const bool installed = [] {
        QAccessible::installFactory(readingFor);
        return true;
    }();
    (void)installed;
    // A reading Qt made earlier (a tool tip or a name set on the widget makes one) goes, so
    // the next question gets the new one.
    if (QAccessibleInterface* old = QAccessible::queryAccessibleInterface(widget))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(old));
    widget->setProperty(kKindProperty, static_cast<int>(kind));
}

void setExpanded(QWidget* button, bool expanded) {
    if (isExpanded(button) == expanded && button->property(kExpandedProperty).isValid()) return;
    button->setProperty(kExpandedProperty, expanded);
    QAccessible::State changed;
    changed.expanded = true;
    changed.collapsed = true;
    QAccessibleStateChangeEvent event(button, changed);
    QAccessible::updateAccessibility(&event);
}

bool isExpanded(const QWidget* button) {
    return button->property(kExpandedProperty).toBool();
}

QString nameFromCaption(const QString& caption) {
    QString name = caption.trimmed();
    if (name.endsWith(QLatin1Char(':'))) name.chop(1);
    return name.trimmed();
}

}  // namespace tarvo::qt
