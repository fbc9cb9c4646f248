#include "platform/gui/Application.h"

#include "platform/Failure.h"
#include "platform/gui/Accessibility.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Services.h"

#include <QFont>
#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Quillmark"));
    // The window layouts name the classic Windows dialog font; its closest match in width here is a
    // font with Arial's metrics.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Arial"),
                                QStringLiteral("Nimbus Sans")});
    InstallAccessibility();
}

QString TApplication::Title()
{
    return QCoreApplication::applicationName();
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const Failure &failure) {
        ShowException(failure);
        return true;
    }
}

void TApplication::ShowException(const Failure &failure)
{
    QString text = failure.message();
    if (!text.isEmpty() && text.back() > u'.')
        text += u'.';
    services().dialogs->Message(Title(), text, MessageIcon::Error);
}

void TApplication::Terminate()
{
    emit Terminating();
    QMetaObject::invokeMethod(this, &QCoreApplication::quit, Qt::QueuedConnection);
}

void TApplication::SetHintHidePause(int milliseconds)
{
    if (hintHidePause_ < 0)
        installEventFilter(this);
    hintHidePause_ = milliseconds;
}

bool TApplication::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (event->type() != QEvent::ToolTip || !widget || widget->toolTip().isEmpty())
        return QApplication::eventFilter(watched, event);
    const auto *help = static_cast<QHelpEvent *>(event);
    QToolTip::showText(help->globalPos(), widget->toolTip(), widget, QRect(), hintHidePause_);
    return true;
}

TApplication *Application()
{
    return qobject_cast<TApplication *>(QCoreApplication::instance());
}
