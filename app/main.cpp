#include "app/CommandHelp.h"
#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "platform/ProgramInfo.h"
#include "platform/gui/Application.h"
#include "platform/gui/DesktopShell.h"
#include "platform/gui/QtDialogs.h"
#include "platform/gui/Services.h"
#include "source/gui/MediaModule.h"

int main(int argc, char *argv[])
{
    // Answered before the application object exists, so that they need no display.
    const QStringList arguments = ArgumentList(argc, argv);
    if (const auto answered = AnswerHelpOrVersion(arguments, QStringLiteral("quillmark"), QuillmarkHelp()))
        return *answered;

    TApplication app(argc, argv);
    QtDialogs dialogs;
    DesktopShell shell(QCoreApplication::applicationDirPath() + QStringLiteral("/batchrun"));
    services().dialogs = &dialogs;
    services().shell = &shell;
    services().makeMediaBackend = [] { return MakeModuleMediaBackend(QCoreApplication::applicationDirPath()); };
    services().programPath = QCoreApplication::applicationFilePath();

    CreateForms();
    app.SetHintHidePause(10000);
    Form1->show();
    const int result = app.exec();
    DestroyForms();
    return result;
}
