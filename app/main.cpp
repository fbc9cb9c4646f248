#include "app/Forms.h"
#include "app/Unit1.h"
#include "platform/Application.h"
#include "platform/DesktopShell.h"
#include "platform/QtDialogs.h"
#include "platform/Services.h"
#include "source/AvMediaBackend.h"

int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    QtDialogs dialogs;
    DesktopShell shell(QCoreApplication::applicationDirPath() + QStringLiteral("/batchrun"));
    services().dialogs = &dialogs;
    services().shell = &shell;
    services().makeMediaBackend = [] { return std::make_unique<AvMediaBackend>(); };
    services().programPath = QCoreApplication::applicationFilePath();

    CreateForms();
    app.SetHintHidePause(10000);
    Form1->show();
    const int result = app.exec();
    DestroyForms();
    return result;
}
