#include "platform/gui/Accessibility.h"

#include "platform/gui/Controls.h"
#include "platform/gui/DockGrip.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>

namespace {

// A slider whose value is told as the window shows it, and whose numbers are in the units it shows.
class SliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SliderAccessible(QSlider *slider) : QAccessibleWidget(slider, QAccessible::Slider) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text type) const override
    {
        return type == QAccessible::Value ? valueText() : QAccessibleWidget::text(type);
    }

    QVariant currentValue() const override { return slider()->value() / scale(); }
    QVariant maximumValue() const override { return slider()->maximum() / scale(); }
    QVariant minimumValue() const override { return slider()->minimum() / scale(); }
    QVariant minimumStepSize() const override { return slider()->singleStep() / scale(); }

    // A screen reader that sets the value moves the slider as the user does.
    void setCurrentValue(const QVariant &value) override
    {
        slider()->setSliderPosition(qRound(value.toDouble() * scale()));
    }

private:
    QSlider *slider() const { return static_cast<QSlider *>(widget()); }

    double scale() const
    {
        const int positions = slider()->property("Scale").toInt();
        return positions > 0 ? positions : 1;
    }

    QString valueText() const
    {
        const QString labelName = slider()->property("ValueLabel").toString();
        if (labelName.isEmpty())
            return QString::number(slider()->value()) + slider()->property("Unit").toString();
        const auto *label = slider()->parentWidget()->findChild<QLabel *>(labelName, Qt::FindDirectChildrenOnly);
        return label ? label->text() : QString();
    }
};

class DockGripAccessible : public QAccessibleWidget {
public:
    explicit DockGripAccessible(TDockGrip *grip) : QAccessibleWidget(grip, QAccessible::Button) {}

    QStringList actionNames() const override { return QAccessibleWidget::actionNames() << pressAction(); }

    void doAction(const QString &action) override
    {
        if (action == pressAction())
            emit static_cast<TDockGrip *>(widget())->activated();
        else
            QAccessibleWidget::doAction(action);
    }
};

// A list box is named by its label, as every other control is, and tells its chosen row, or the text
// typed into it, as its value, and as its text, where screen readers on this platform look for it.
// (Qt's own names a list box by its chosen row here.)
class ComboBoxAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ComboBoxAccessible(QComboBox *box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    int childCount() const override { return box()->isEditable() ? 2 : 1; }

    QAccessibleInterface *child(int index) const override
    {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(box()->view());
        if (index == 1 && box()->isEditable())
            return QAccessible::queryAccessibleInterface(box()->lineEdit());
        return nullptr;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (child->object() == box()->view())
            return 0;
        if (box()->isEditable() && child->object() == box()->lineEdit())
            return 1;
        return -1;
    }

    QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Name)
            return AccessibleLabel(*box());
        if (type == QAccessible::Value)
            return box()->currentText();
        return QAccessibleWidget::text(type);
    }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }

    void doAction(const QString &action) override
    {
        if (action != showMenuAction() && action != pressAction())
            return;
        if (box()->view()->isVisible())
            box()->hidePopup();
        else
            box()->showPopup();
    }

    // The chosen row as read-only text, without selection or cursor.
    QString text(int startOffset, int endOffset) const override
    {
        return box()->currentText().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(box()->currentText().size()); }
    void selection(int, int *startOffset, int *endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

private:
    QComboBox *box() const { return static_cast<QComboBox *>(widget()); }
};

// The stack of a tab control's pages is mere layout, which its tabs tell; its pages stay in their order.
class PageStackAccessible : public QAccessibleWidget {
public:
    explicit PageStackAccessible(QStackedWidget *stack) : QAccessibleWidget(stack, QAccessible::Client) {}

    int childCount() const override { return stack()->count(); }

    QAccessibleInterface *child(int index) const override
    {
        return QAccessible::queryAccessibleInterface(stack()->widget(index));
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child->object() && child->object()->isWidgetType()
                   ? stack()->indexOf(static_cast<QWidget *>(child->object()))
                   : -1;
    }

private:
    QStackedWidget *stack() const { return static_cast<QStackedWidget *>(widget()); }
};

// Names the parts Qt builds inside the controls of window after the control they belong to, so that a
// screen reader tells whose they are: the list that drops down and the part typed into of a list box,
// the arrows of an up-down spinner ("Clip top, up"), the scroll bars of a box, and a menu by its title.
// A part is named whether or not it is shown yet: a screen reader lists hidden ones too.
void nameInnerParts(QWidget *window)
{
    for (QComboBox *box : window->findChildren<QComboBox *>()) {
        box->view()->setAccessibleName(AccessibleLabel(*box));
        if (box->lineEdit())
            box->lineEdit()->setAccessibleName(AccessibleLabel(*box));
    }
    for (TUpDown *spinner : window->findChildren<TUpDown *>()) {
        const QLineEdit *box = spinner->AssociatedEdit();
        const QString name = box ? AccessibleLabel(*box) : QString();
        for (QToolButton *arrow : spinner->findChildren<QToolButton *>())
            arrow->setAccessibleName(
                (arrow->arrowType() == Qt::UpArrow ? TUpDown::tr("%1, up") : TUpDown::tr("%1, down")).arg(name));
    }
    for (QAbstractScrollArea *area : window->findChildren<QAbstractScrollArea *>()) {
        const QString name = AccessibleLabel(*area);
        if (name.isEmpty())
            continue;
        area->horizontalScrollBar()->setAccessibleName(QApplication::tr("%1, horizontal").arg(name));
        area->verticalScrollBar()->setAccessibleName(QApplication::tr("%1, vertical").arg(name));
    }
    for (QMenu *menu : window->findChildren<QMenu *>())
        menu->setAccessibleName(menu->title().remove(u'&'));
}

// Readies every window as it is shown. It draws its focus from the start: the style draws the focus
// only once the keyboard has moved it within a window, and a window forgets that each time it is
// shown, so a window that opens, or a focus the program sets, would show none. And the parts inside
// its controls are named, its layout being whole by then.
class WindowShownReady : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType() && static_cast<QWidget *>(watched)->isWindow()) {
            auto *window = static_cast<QWidget *>(watched);
            window->setAttribute(Qt::WA_KeyboardFocusChange);
            nameInnerParts(window);
        }
        return false;
    }
};

// Asked before Qt's own factory for each class of a control, most derived first; answers only for
// the controls above and leaves every other to Qt.
QAccessibleInterface *accessibleControl(const QString &className, QObject *object)
{
    if (className == QLatin1String("QSlider"))
        return new SliderAccessible(static_cast<QSlider *>(object));
    if (className == QLatin1String("TDockGrip"))
        return new DockGripAccessible(static_cast<TDockGrip *>(object));
    if (className == QLatin1String("QComboBox"))
        return new ComboBoxAccessible(static_cast<QComboBox *>(object));
    if (className == QLatin1String("QStackedWidget"))
        return new PageStackAccessible(static_cast<QStackedWidget *>(object));
    // A nameless filler, which screen readers pass over as mere layout: a picture that only decorates,
    // and a plain frame, which only draws a line or a border around other controls.
    const bool layoutOnly = (className == QLatin1String("QLabel") && object->property("Decorative").toBool()) ||
                            object->metaObject() == &QFrame::staticMetaObject;
    if (layoutOnly)
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Client);
    return nullptr;
}

} // namespace

void InstallAccessibility()
{
    QAccessible::installFactory(accessibleControl);
    qApp->installEventFilter(new WindowShownReady(qApp));
}

QString AccessibleLabel(const QWidget &control)
{
    if (!control.accessibleName().isEmpty())
        return control.accessibleName();
    for (const QLabel *label : control.parentWidget()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly))
        if (label->buddy() == &control)
            return label->text().remove(u'&');
    return {};
}
