#include "params/gui/Encode.h"

#include "params/AppDir.h"
#include "params/LaunchScript.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Services.h"
#include "platform/gui/Shell.h"

void LaunchEncoder(const QString &configPath)
{
    RunProgram(LaunchScriptPath(), u'"' + configPath + u'"', AppDir, 1);
}

void ShowSourceNotFound()
{
    services().dialogs->Message(QStringLiteral("File not found"),
                                QStringLiteral("The source file you specified does not exist."), MessageIcon::Warning);
}
