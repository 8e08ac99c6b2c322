// The Qt form builder, its key preview and its drops.
#include "frontend/qt/qt_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <algorithm>

#include "frontend/qt/qt_accessible.h"
#include "frontend/qt/qt_widgets.h"

namespace tarvo::qt {
namespace {

constexpr char kFormProperty[] = "tarvoControl";

double screenDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}

// Labels keep an ampersand as it stands unless they have a buddy; the table's "&&" is one.
QString labelText(const std::string& caption) {
    return toQt(caption).replace(QStringLiteral("&&"), QStringLiteral("&"));
}

}  // namespace

std::vector<std::string> localFilesOf(const QMimeData* data) {
    std::vector<std::string> files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            files.push_back(fromQt(url.toLocalFile()));
    return files;
}

QtForm::QtForm(const FormSpec& layout, BuildOptions options) : spec_(layout) {
    metrics_.dpi = options.dpi > 0 ? options.dpi : screenDpi();
    metrics_.frameSide = options.frameSide;
    metrics_.frameTop = options.frameTop;
    window_ = std::make_unique<QtWindow>(this, spec_, metrics_);

    setObjectName(toQt(spec_.name));
    setWindowTitle(toQt(spec_.caption));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(fontFor(spec_.font));
    window_->setWidth(spec_.clientWidth + 2 * metrics_.frameSide);
    window_->setHeight(spec_.clientHeight + metrics_.frameTop + metrics_.frameSide);

    // Frames first, so the controls inside them have their parent.
    std::map<std::string, QWidget*> frames;
    std::vector<const ControlSpec*> order;
    for (const auto& c : spec_.controls) order.push_back(&c);
    std::stable_partition(order.begin(), order.end(),
                          [](const ControlSpec* c) { return c->kind == ControlKind::Frame; });
    for (const ControlSpec* c : order) {
        QWidget* parent = this;
        if (!c->parent.empty() && frames.count(c->parent)) parent = frames[c->parent];
        QWidget* widget = createWidget(*c, parent);
        if (c->kind == ControlKind::Frame) frames[c->name] = widget;
    }
    // Controls stand in front of the frames they overlap, as on Windows.
    for (const auto& control : controls_)
        if (control->kind() != ControlKind::Frame) control->widget()->raise();
    keepLabelsApart();

    // Tab order follows the table's indices among the controls that take the focus.
    std::vector<QtControl*> tabs;
    for (const auto& c : spec_.controls) {
        QtControl* control = find(c.name);
        if (c.tabIndex >= 0 && control->widget()->focusPolicy() != Qt::NoFocus)
            tabs.push_back(control);
    }
    for (std::size_t i = 1; i < tabs.size(); ++i)
        QWidget::setTabOrder(tabs[i - 1]->widget(), tabs[i]->widget());

    setAcceptDrops(spec_.acceptsDrops);
    watch(this, spec_.acceptsDrops);

    // Centred on the screen, frame included.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const int w = metrics_.pixels(spec_.clientWidth + 2 * metrics_.frameSide);
        const int h = metrics_.pixels(spec_.clientHeight + metrics_.frameTop + metrics_.frameSide);
        move(area.x() + (area.width() - w) / 2, area.y() + (area.height() - h) / 2);
    }
}

QtForm::~QtForm() = default;

QFont QtForm::fontFor(const FontSpec& face) const {
    // The desktop's UI face at the size the table was designed in, so every caption fits the
    // table's geometry at any DPI.
    QFont font = QApplication::font();
    font.setPointSizeF(face.points);
    font.setWeight(face.weight >= 700 ? QFont::Bold : QFont::Normal);
    font.setItalic(face.italic);
    font.setUnderline(face.underline);
    return font;
}

QWidget* QtForm::createWidget(const ControlSpec& spec, QWidget* parent) {
    QWidget* widget = nullptr;
    std::unique_ptr<QtControl> control;
    switch (spec.kind) {
        case ControlKind::Button: {
            auto* button = new FocusButton(toQt(spec.caption), parent);
            button->setDefault(spec.defaultButton);
            connect(button, &QPushButton::clicked, this, [this, name = spec.name] {
                if (events.click) events.click(name);
            });
            widget = button;
            break;
        }
        case ControlKind::CheckBox: {
            auto* box = new QCheckBox(toQt(spec.caption), parent);
            connect(box, &QCheckBox::clicked, this, [this, name = spec.name] {
                if (events.click) events.click(name);
            });
            widget = box;
            control = std::make_unique<QtCheckBox>(box, spec, metrics_);
            break;
        }
        case ControlKind::ComboBox: {
            auto* box = new QComboBox(parent);
            box->setEditable(true);
            box->setInsertPolicy(QComboBox::NoInsert);
            // The form's own rule completes the text; Qt's completer would fight it.
            box->setCompleter(nullptr);
            box->setMaxVisibleItems(20);
            widget = box;
            control = std::make_unique<QtComboBox>(box, spec, metrics_);
            break;
        }
        case ControlKind::ListBox: {
            auto* list = new FocusListBox(parent);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            // After the selection has changed: the current row moves before it does.
            connect(list, &QListWidget::itemSelectionChanged, this, [this, name = spec.name] {
                if (events.click) events.click(name);
            });
            widget = list;
            control = std::make_unique<QtListBox>(list, spec, metrics_);
            break;
        }
        case ControlKind::Frame: {
            widget = new FrameBox(toQt(spec.caption).trimmed(), parent);
            break;
        }
        case ControlKind::LinkLabel: {
            auto* link = new LinkLabel(labelText(spec.caption), parent);
            link->activated = [this, name = spec.name] {
                if (events.click) events.click(name);
            };
            setAccessibleKind(link, AccessibleKind::Link);
            widget = link;
            break;
        }
        case ControlKind::Image: {
            auto* image = new QLabel(parent);
            image->setAlignment(Qt::AlignCenter);
            widget = image;
            break;
        }
        case ControlKind::Label:
        default: {
            if (spec.showsData) {
                widget = new DataLabel(toQt(spec.caption), parent);
                break;
            }
            auto* label = new QLabel(labelText(spec.caption), parent);
            label->setTextFormat(Qt::PlainText);
            widget = label;
            break;
        }
    }
    if (!control) control = std::make_unique<QtControl>(widget, spec, metrics_);
    widget->setObjectName(toQt(spec.name));
    widget->setFont(fontFor(spec.font));
    if (!spec.toolTip.empty()) widget->setToolTip(toQt(spec.toolTip));
    control->setLeft(spec.left);
    control->setTop(spec.top);
    control->setWidth(spec.width);
    control->setHeight(spec.height);
    // The desktop's face is often wider than the one the table was measured in: a short
    // label grows to its text instead of losing its last letters. A label showing data keeps
    // its size and cuts its text with an ellipsis.
    if ((spec.kind == ControlKind::Label || spec.kind == ControlKind::LinkLabel) &&
        !spec.showsData) {
        const int natural = widget->sizeHint().width();
        if (natural > widget->width()) control->growTo(natural);
    }
    widget->setEnabled(spec.enabled);
    if (!spec.visible) widget->setVisible(false);
    widget->setProperty(kFormProperty, true);
    owners_[widget] = control.get();
    controls_.push_back(std::move(control));
    watch(widget, spec.acceptsDrops);
    // The parts inside a control (the argument box's edit field, the list's viewport) are
    // where keys and drops really arrive.
    if (auto* box = qobject_cast<QComboBox*>(widget)) {
        owners_[box->lineEdit()] = controls_.back().get();
        watch(box->lineEdit(), spec.acceptsDrops);
    } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
        owners_[list->viewport()] = controls_.back().get();
        watch(list->viewport(), spec.acceptsDrops);
    }
    return widget;
}

// A caption that grew to its text keeps a blank's distance from the control that follows it
// on its row; that control moves right, and with it every control of its column, so the
// column stays aligned ("Website:" and "Email:" and their links).
void QtForm::keepLabelsApart() {
    const int gap = metrics_.pixels(kLabelGap);
    for (const auto& label : controls_) {
        if (label->kind() != ControlKind::Label || dynamic_cast<DataLabel*>(label->widget()))
            continue;
        const QRect text = label->widget()->geometry();
        for (const auto& next : controls_) {
            const QRect other = next->widget()->geometry();
            if (next == label || next->widget()->parentWidget() != label->widget()->parentWidget() ||
                other.left() <= text.left() || other.top() > text.bottom() ||
                other.bottom() < text.top())
                continue;
            const int need = text.right() + 1 + gap - other.left();
            if (need <= 0) continue;
            const int column = other.left();
            for (const auto& c : controls_)
                if (c->widget()->parentWidget() == label->widget()->parentWidget() &&
                    c->widget()->x() == column)
                    c->shiftRight(need);
        }
    }
}

void QtForm::watch(QWidget* widget, bool drops) {
    widget->installEventFilter(this);
    if (drops) widget->setAcceptDrops(true);
}

QtControl* QtForm::find(const std::string& name) const {
    for (const auto& c : controls_)
        if (c->name() == name) return c.get();
    return nullptr;
}

Control& QtForm::control(const std::string& name) const {
    return *find(name);
}
ComboBox& QtForm::comboBox(const std::string& name) const {
    return dynamic_cast<ComboBox&>(*find(name));
}
CheckBox& QtForm::checkBox(const std::string& name) const {
    return dynamic_cast<CheckBox&>(*find(name));
}
ListBox& QtForm::listBox(const std::string& name) const {
    return dynamic_cast<ListBox&>(*find(name));
}

QtControl* QtForm::controlOf(QObject* object) const {
    for (; object && object != this; object = object->parent()) {
        const auto it = owners_.find(object);
        if (it != owners_.end()) return it->second;
    }
    return nullptr;
}

void QtForm::showForm() {
    show();
    raise();
    activateWindow();
    for (const auto& c : spec_.controls) {
        QtControl* control = find(c.name);
        if (c.tabIndex >= 0 && control->widget()->isEnabled() && !control->widget()->isHidden() &&
            control->widget()->focusPolicy() != Qt::NoFocus) {
            control->widget()->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
}

bool QtForm::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            return handleKey(watched, static_cast<QKeyEvent*>(event));
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return handleDrag(watched, event);
        case QEvent::MouseButtonRelease: {
            // Labels and the image report their clicks; buttons and links report their own.
            QtControl* c = controlOf(watched);
            if (c && events.click &&
                (c->kind() == ControlKind::Label || c->kind() == ControlKind::Image) &&
                watched == c->widget())
                events.click(c->name());
            return false;
        }
        default:
            return false;
    }
}

// The character a key gives, as the forms count it: its code point, with Enter 13, Esc 27
// and Backspace 8. Keys that give none (arrows, Tab, Alt combinations, which move the focus
// or press access keys) are not characters and never reach the handlers.
static int keyCharacter(const QKeyEvent* key) {
    switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 0;
        default:
            break;
    }
    if (key->modifiers() & Qt::AltModifier) return 0;
    const QString text = key->text();
    if (text.isEmpty()) return 0;
    const uint code = text.at(0).isHighSurrogate() && text.size() > 1
                          ? QChar::surrogateToUcs4(text.at(0), text.at(1))
                          : text.at(0).unicode();
    return code == 0x7F ? 0 : static_cast<int>(code);  // Delete edits; it is no character
}

bool QtForm::handleKey(QObject* watched, QKeyEvent* key) {
    // Each key is seen once: by the widget with the focus (the argument box itself, which
    // passes its keys on to its edit field).
    if (watched != QApplication::focusWidget() && watched != this) return false;
    const int character = keyCharacter(key);
    if (character == 0) return false;
    int passed = character;
    if (events.keyPreview) {
        passed = events.keyPreview(passed);
        if (passed == 0) return true;
    }
    if (QtControl* c = controlOf(watched)) {
        const auto it = events.keyPress.find(c->name());
        if (it != events.keyPress.end() && it->second) {
            passed = it->second(passed);
            if (passed == 0) return true;
        }
    }
    return false;
}

bool QtForm::handleDrag(QObject* watched, QEvent* event) {
    auto* drag = static_cast<QDropEvent*>(event);
    const std::vector<std::string> files = localFilesOf(drag->mimeData());
    // Anything but local files (a text, a web address) gets the widget's own handling.
    if (files.empty()) return false;
    QtControl* c = controlOf(watched);
    if (c == nullptr && watched != this) return false;
    drag->setDropAction(Qt::CopyAction);
    drag->accept();
    if (event->type() == QEvent::Drop && events.drop) events.drop(c ? c->name() : "", files);
    return true;
}

void QtForm::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (events.close) events.close();
}

}  // namespace tarvo::qt
