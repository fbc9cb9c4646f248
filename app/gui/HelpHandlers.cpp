#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "app/gui/Unit2.h"
#include "params/AppDir.h"
#include "params/UtilityLocation.h"
#include "platform/PathHelpers.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Services.h"
#include "platform/gui/Shell.h"

namespace {

const char *const HelpFile = "WMEnUtil.chm";

// The help file in the program's folder, else the one under ProgramFiles, which is not checked: the
// shell tells the user when it is missing.
QString helpFilePath()
{
    const QString name = QString::fromLatin1(HelpFile);
    const QString inAppDir = FindFileNoCase(AppDir, name);
    if (!inAppDir.isEmpty())
        return inAppDir;
    const QString installed = FindFileNoCase(ProgramFilesToolsFolder(), name);
    return installed.isEmpty() ? JoinPath(ProgramFilesToolsFolder(), name) : installed;
}

} // namespace

void TForm1::WindowsMediaEncodingUtilHelp1Click()
{
    RunProgram(helpFilePath(), QString(), QString(), 1);
}

void TForm1::About1Click()
{
    services().dialogs->Execute(*Form2);
}

void TForm2::Label5Click(const QString &link)
{
    RunProgram(link, QString(), QString(), 1);
}
