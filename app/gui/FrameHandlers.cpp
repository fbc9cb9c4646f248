#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "params/AppDir.h"
#include "params/LaunchScript.h"
#include "params/UtilityLocation.h"
#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Services.h"
#include "platform/gui/WindowPlacement.h"
#include "source/gui/Unit4.h"
#include "ui_Unit1.h"

namespace {

const char *const MoreOptionsCaption = "More Options >>>";
const char *const LessOptionsCaption = "<<< Less Options";
constexpr int CollapsedHeight = 186;
constexpr int ExpandedHeight = 489;

const char *const QualityHint =
    "Target video quality.\n\nIn CBR modes 0 is the smoothest motion and 100 represent the crispest images.\n"
    "In VBR mode 2 this setting represent the target quality for the entire sequence.";

// The utility comes with Quillmark here: the last line says where an installed user gets it back.
const char *const UtilityMissingText =
    "Unable to locate the Microsoft Windows Media 8 Encoder Utility (WM8EUTIL.EXE).\r\r"
    "Make sure you have installed the Microsoft Windows Media 8 Encoder Utility available from:\r"
    "the Quillmark package: reinstall Quillmark, or put WM8EUTIL.EXE in %1.";

} // namespace

void TForm1::FormCreate()
{
    SetAppDirFromProgram(services().programPath);
    ChooseLaunchDir();
    ReportFailures([this] { WriteLaunchScriptIfMissing(ui->Memo2->toPlainText().split(u'\n')); });
}

void TForm1::FormShow()
{
    Form4->ManualDock(ui->Panel2);
    TakeFileDrops();
    for (TComboBox *list : {ui->ComboBoxPresets, ui->ComboBoxPreproc, ui->ComboBoxMode, ui->ComboBoxFramerate,
                            ui->ComboBoxAudioBR})
        list->SetItemIndex(0);
    ui->TrackBarQuality->setToolTip(QString::fromLatin1(QualityHint));

    if (!UtilityPresent()) {
        services().dialogs->Message(QStringLiteral("Essential files not found!"),
                                    QString::fromLatin1(UtilityMissingText).arg(AppDir), MessageIcon::Error);
        Application()->Terminate();
    }
}

bool TForm1::UtilityPresent() const
{
    return !FindUtilityFile(QStringLiteral("WM8EUTIL.EXE")).isEmpty();
}

void TForm1::FormClose()
{
    Form4->ReleasePlayer();
}

void TForm1::SetClientHeight(int height)
{
    ui->ClientArea->setFixedHeight(height);
}

void TForm1::ButtonMoreClick()
{
    if (ui->ButtonMore->text() == QLatin1String(MoreOptionsCaption)) {
        ui->ButtonMore->setText(QString::fromLatin1(LessOptionsCaption));
        SetClientHeight(ExpandedHeight);
        ui->PanelMore->show();
        KeepGrownWindowOnScreen(this);
    } else {
        ui->ButtonMore->setText(QString::fromLatin1(MoreOptionsCaption));
        ui->PanelMore->hide();
        SetClientHeight(CollapsedHeight);
    }
}

void TForm1::Exit1Click()
{
    Application()->Terminate();
}
