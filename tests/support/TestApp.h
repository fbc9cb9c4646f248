#pragma once

#include "FakeDialogs.h"
#include "FakeMediaBackend.h"
#include "FakeShell.h"

#include <QTemporaryDir>
#include <QWidget>
#include <memory>

struct TestAppOptions {
    bool utilityInAppDir = true;   // put a WM8EUTIL.EXE beside the program
    bool show = true;              // show the main window (runs its show handler)
};

// The program as a test runs it: the five windows built from their layouts, in a fresh temporary
// program folder, with fake dialogs, shell and media engine.
class TestApp {
public:
    using Options = TestAppOptions;

    // The program in folder, or in a fresh temporary folder when none is given.
    explicit TestApp(Options options = {}, const QString &folder = {});
    ~TestApp();

    // A control of any of the five windows, found by its object name; null when it is of another
    // kind. A name no window has stops the test program.
    template <class T>
    T *control(const QString &name) const
    {
        return qobject_cast<T *>(findControl(name));
    }
    QObject *findControl(const QString &name) const;

    QString row(int row) const;
    void setRow(int row, const QString &value) const;

    // Creates a media file in the program folder that the fake player knows with facts; its path.
    QString addMedia(const QString &name, MediaFacts facts = {});

    // The bytes of a file in the program folder ("" when it does not exist).
    QByteArray appFile(const QString &name) const;
    QString appPath(const QString &name) const;

    QTemporaryDir dir;
    QString appDir;
    FakeDialogs dialogs;
    FakeShell shell;
    std::shared_ptr<FakeMedia> media = std::make_shared<FakeMedia>();
    int terminations = 0;   // how often the program asked to end

private:
    void start(Options options);
};
