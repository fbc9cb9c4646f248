#include "platform/gui/Accessibility.h"

#include "platform/gui/DockGrip.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QLabel>
#include <QSlider>

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

// Has every window draw its focus from the moment it is shown. The style draws the focus only once the
// keyboard has moved it within a window, and a window forgets that each time it is shown: a window
// that opens, or a focus the program sets, would show none.
class FocusShownFromTheStart : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType() && static_cast<QWidget *>(watched)->isWindow())
            static_cast<QWidget *>(watched)->setAttribute(Qt::WA_KeyboardFocusChange);
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
    // A nameless filler, which screen readers pass over as mere layout.
    if (className == QLatin1String("QLabel") && object->property("Decorative").toBool())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Client);
    return nullptr;
}

} // namespace

void InstallAccessibility()
{
    QAccessible::installFactory(accessibleControl);
    qApp->installEventFilter(new FocusShownFromTheStart(qApp));
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
