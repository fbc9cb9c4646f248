#pragma once

#include "platform/Failure.h"

#include <QApplication>

// The application object: its title, the default error report for failures raised while an event is
// handled, the end of the program, how long hints stay up, and what screen readers are told of the
// program's own controls.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);

    static QString Title();

    // Dispatches an event; a Failure raised while handling it and not caught by its handler is
    // shown by ShowException and ends the handling of that event.
    bool notify(QObject *receiver, QEvent *event) override;

    // The default error report: the failure's message in a box titled with the application title,
    // with an error icon, a full stop added when the text does not end in one (or a lower character).
    static void ShowException(const Failure &failure);

    // Ends the program as soon as control returns to the message loop.
    void Terminate();

    // How long a hint stays up, in milliseconds.
    void SetHintHidePause(int milliseconds);

signals:
    void Terminating();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int hintHidePause_ = -1;
};

TApplication *Application();

// Runs the work of an event handler; a Failure it raises is shown as the default error report and
// ends only that work. Handlers that can fail catch here rather than let the failure unwind through
// the toolkit's own frames, which are built without exception handling and would skip their cleanup.
template <class Work>
void ReportFailures(Work &&work)
{
    try {
        work();
    } catch (const Failure &failure) {
        TApplication::ShowException(failure);
    }
}
