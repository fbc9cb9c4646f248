#include "params/gui/Encode.h"

#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "params/AppDir.h"
#include "params/ConfigFile.h"
#include "params/LaunchScript.h"
#include "params/gui/Unit3.h"
#include "platform/PathHelpers.h"
#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Services.h"
#include "platform/gui/Shell.h"
#include "ui_Unit1.h"

void LaunchEncoder(const QString &configPath)
{
    RunProgram(LaunchScriptPath(), u'"' + configPath + u'"', AppDir, 1);
}

void ShowSourceNotFound()
{
    services().dialogs->Message(QStringLiteral("File not found"),
                                QStringLiteral("The source file you specified does not exist."), MessageIcon::Warning);
}

void TForm1::View1Click()
{
    if (services().dialogs->Execute(*Form3) == QDialog::Accepted)
        EncodeButtonClick();
}

// A source folder is accepted too: the utility then encodes every media file in it.
void TForm1::EncodeButtonClick()
{
    const QString source = ui->EditInput->text();
    if (!FileExists(source) && !DirectoryExists(source)) {
        ShowSourceNotFound();
        return;
    }
    ReportFailures([] { LaunchEncoder(WriteConfigFile(Form3->Table())); });
}
