#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "params/ConfigFile.h"
#include "params/ParamNames.h"
#include "params/ParamTable.h"
#include "params/Placeholders.h"
#include "params/gui/Encode.h"
#include "params/gui/StoreParam.h"
#include "params/gui/Unit3.h"
#include "platform/PathHelpers.h"
#include "platform/gui/Application.h"
#include "source/MediaInfo.h"
#include "source/SectionTimes.h"
#include "source/gui/MediaPlayer.h"
#include "source/gui/Unit4.h"
#include "ui_Unit1.h"
#include "ui_Unit4.h"

#include <QRubberBand>
#include <QSignalBlocker>

void TForm1::ShowNewStream(const TMediaPlayer2 &player)
{
    const MediaFacts facts{player.Duration(), player.ImageSourceWidth(), player.ImageSourceHeight(), player.Bandwidth()};
    ui->Memo1->setPlainText(MediaInfoLines(facts).join(u'\n'));

    const int length = WholeSeconds(facts.duration);
    TTrackBar *start = ui->TrackBarSelStart;
    start->setMinimum(0);
    start->setMaximum(length);
    start->setValue(0);
    start->setSelStart(0);
    start->setSelEnd(length);
    ui->EditSelStart->setText(QString::number(start->value()));

    TTrackBar *end = ui->TrackBarSelEnd;
    end->setMinimum(0);
    end->setMaximum(length);
    end->setValue(length);
    ui->EditSelEnd->setText(QString::number(end->value()));
    end->setSelStart(0);
    end->setSelEnd(length);

    if (facts.width > 0 && facts.height > 0) {
        ui->EditHeight->setText(QString::number(facts.height));
        ui->EditWidth->setText(QString::number(facts.width));
    }
}

// What the window showed of a file the player could not open in its place gives way, so that nothing
// describes the file that is gone: no media information, a section of no length with the times at
// "(default)" (the whole source), and no picture size.
void TForm1::ForgetMedia()
{
    ui->Memo1->clear();
    for (TTrackBar *bar : {ui->TrackBarSelStart, ui->TrackBarSelEnd}) {
        const QSignalBlocker quiet(bar);
        bar->setRange(0, 0);
        bar->setSelStart(0);
        bar->setSelEnd(0);
    }
    for (TEdit *box : {ui->EditSelStart, ui->EditSelEnd})
        box->setText(DefaultPlaceholder);
    lastGoodStart_ = lastGoodEnd_ = DefaultPlaceholder;
    PlaySection();
    ResetToDefault(ui->EditWidth);
    ResetToDefault(ui->EditHeight);
}

// The menu entry's check mark has already switched when this runs: unchecked now means the player
// moves into the main window, checked means it goes back into the preview window.
void TForm1::FloatablePreviewWindow1Click()
{
    const bool floatable = ui->FloatablePreviewWindow1->isChecked();
    Form4->setVisible(floatable);
    ui->Panel2->setFrameShape(floatable ? QFrame::Panel : QFrame::NoFrame);
    Form4->MovePlayerTo(floatable ? nullptr : ui->Panel2);
    if (TMediaPlayer2 *player = Form4->Player()) {
        player->SetShowControls(false);
        player->SetShowControls(true);
    }
}

// Runs the utility on the source alone. The configuration is written before the source is looked at,
// so it is replaced even when the source is missing.
void TForm1::Viewsourceinfo1Click()
{
    ReportFailures([this] {
        const QString input = Form3->Table().Value(RowInput);
        const QString path = SaveConfigFile(input.isEmpty() ? QStringList() : QStringList{ConfigLine(RowInput, input)});
        if (FileExists(ui->EditInput->text()))
            LaunchEncoder(path);
        else
            ShowSourceNotFound();
    });
}

void TForm4::DockGripMoved(QPoint globalPosition)
{
    dropOutline_->setGeometry(OverDockSite(globalPosition)
                                  ? QRect(dockSite_->mapToGlobal(QPoint(0, 0)), dockSite_->size())
                                  : FloatingGeometryAt(globalPosition));
    dropOutline_->show();
}

void TForm4::DockGripDropped(QPoint globalPosition)
{
    dropOutline_->hide();
    if (OverDockSite(globalPosition))
        ManualDock(dockSite_);
    else
        Float(FloatingGeometryAt(globalPosition));
    FormEndDock();
}

// A switch made from the keyboard leaves the grip with the focus in the window it has moved to, so
// that the next press switches back.
void TForm4::DockGripActivated()
{
    const bool fromKeyboard = ui->DockGrip->hasFocus();
    if (Docked())
        Float(floatingGeometry_);
    else if (dockSite_)
        ManualDock(dockSite_);
    FormEndDock();
    if (fromKeyboard) {
        activateWindow();
        ui->DockGrip->setFocus();
    }
}

void TForm4::FormEndDock()
{
    RefreshControls();
}

void TForm4::FormUnDock()
{
    RefreshControls();
}

void TForm4::MediaPlayer21NewStream()
{
    Form1->ShowNewStream(*Player());
}
