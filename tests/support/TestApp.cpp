#include "TestApp.h"

#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "app/gui/Unit2.h"
#include "params/ParamTable.h"
#include "params/gui/Unit3.h"
#include "platform/gui/Application.h"
#include "platform/gui/Services.h"
#include "settings/gui/Unit5.h"
#include "source/gui/Unit4.h"

#include <QFile>
#include <QTest>

TestApp::TestApp(Options options, const QString &folder) : appDir(folder.isEmpty() ? dir.path() : folder)
{
    QObject::connect(Application(), &TApplication::Terminating, Application(), [this] { ++terminations; });
    start(options);
}

TestApp::~TestApp()
{
    QObject::disconnect(Application(), &TApplication::Terminating, nullptr, nullptr);
    DestroyForms();
    services() = Services();
}

void TestApp::start(Options options)
{
    if (options.utilityInAppDir) {
        QFile utility(appDir + QStringLiteral("/WM8EUTIL.EXE"));
        utility.open(QIODevice::WriteOnly);
    }
    services().dialogs = &dialogs;
    services().shell = &shell;
    services().makeMediaBackend = [media = media] { return std::make_unique<FakeMediaBackend>(media); };
    services().programPath = appDir + QStringLiteral("/quillmark");
    CreateForms();
    if (options.show) {
        Form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form1));
    }
}

QObject *TestApp::findControl(const QString &name) const
{
    for (QObject *form : std::initializer_list<QObject *>{Form1, Form2, Form3, Form4, Form5}) {
        if (form->objectName() == name)
            return form;
        if (QObject *found = form->findChild<QObject *>(name))
            return found;
    }
    qFatal("no control named %s", qPrintable(name));
}

QString TestApp::row(int row) const
{
    return Form3->Table().Value(row);
}

void TestApp::setRow(int row, const QString &value) const
{
    Form3->Table().SetValue(row, value);
}

QString TestApp::addMedia(const QString &name, MediaFacts facts)
{
    QFile file(appPath(name));
    file.open(QIODevice::WriteOnly);
    media->files.insert(file.fileName(), facts);
    return file.fileName();
}

QString TestApp::appPath(const QString &name) const
{
    return appDir + u'/' + name;
}

QByteArray TestApp::appFile(const QString &name) const
{
    QFile file(appPath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
