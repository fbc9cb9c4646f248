#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "params/ConfigFile.h"
#include "params/gui/Encode.h"
#include "params/gui/Unit3.h"
#include "platform/PathHelpers.h"
#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Services.h"
#include "ui_Unit1.h"

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
