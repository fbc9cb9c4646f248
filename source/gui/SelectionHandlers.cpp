#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "params/Placeholders.h"
#include "params/gui/StoreParam.h"
#include "platform/PathHelpers.h"
#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Services.h"
#include "source/SectionTimes.h"
#include "source/gui/MediaPlayer.h"
#include "source/gui/Unit4.h"
#include "ui_Unit1.h"

#include <QSignalBlocker>

namespace {

const char *const RejectedStartText = "The start time you entered is not acceptable.\r\r"
                                      "The start time must be less than the length of the media\r"
                                      "and cannot be greater than or the same as the end time.";
const char *const RejectedEndText = "The end time you entered is not acceptable.\r\r"
                                    "The end time must be less than the length of the media\r"
                                    "and cannot be less than or the same as the start time.";

} // namespace

// The start and the end of the section are handled alike; a side names the start's or the end's
// controls and what is remembered of them.
struct TForm1::SectionSide {
    bool start;
    TEdit *box;
    TEdit *otherBox;
    TTrackBar *bar;
    QString &lastGood;
};

TForm1::SectionSide TForm1::StartSide()
{
    return {true, ui->EditSelStart, ui->EditSelEnd, ui->TrackBarSelStart, lastGoodStart_};
}

TForm1::SectionSide TForm1::EndSide()
{
    return {false, ui->EditSelEnd, ui->EditSelStart, ui->TrackBarSelEnd, lastGoodEnd_};
}

QString TForm1::SectionTime() const
{
    return SectionTimeValue(ui->EditSelStart->text(), ui->EditSelEnd->text());
}

void TForm1::StoreSection(TEdit *box)
{
    StoreParam(box, ui->CheckBox2->isChecked() ? SectionTime() : QStringLiteral("!"));
}

void TForm1::HighlightSection()
{
    for (TTrackBar *bar : {ui->TrackBarSelStart, ui->TrackBarSelEnd}) {
        bar->setSelStart(ui->TrackBarSelStart->value());
        bar->setSelEnd(ui->TrackBarSelEnd->value());
    }
}

void TForm1::SetPlayRange(bool start, double seconds)
{
    if (TMediaPlayer2 *player = Form4->Player())
        start ? player->SetSelectionStart(seconds) : player->SetSelectionEnd(seconds);
}

// Off, the section leaves the preview the whole source; on, the preview plays the section the boxes
// name, as -time encodes it (a box without a time counts as 0, an end of 0 being the source's end).
void TForm1::PlaySection()
{
    const bool section = ui->CheckBox2->isChecked();
    SetPlayRange(true, section ? ReadSeconds(ui->EditSelStart->text()).value_or(0) : 0);
    SetPlayRange(false, section ? ReadSeconds(ui->EditSelEnd->text()).value_or(0) : 0);
}

void TForm1::CheckBox2Click()
{
    const bool section = ui->CheckBox2->isChecked();
    ui->EditSelStart->setEnabled(section);
    ui->EditSelEnd->setEnabled(section);
    if (FileExists(ui->EditInput->text()) || !section) {
        ui->TrackBarSelStart->setEnabled(section);
        ui->TrackBarSelEnd->setEnabled(section);
    }
    StoreSection(ui->EditSelStart);
    PlaySection();
}

void TForm1::EditSelStartChange()
{
    StoreSection(ui->EditSelStart);
}

void TForm1::EditSelEndChange()
{
    StoreSection(ui->EditSelEnd);
}

void TForm1::SectionKeyPress(const SectionSide &side, QChar &Key)
{
    if (Key == QChar(13)) {
        Key = QChar();
        ReportFailures([this, &side] { ApplySectionTime(side); });
        return;
    }
    if (Key != QChar(8) && Key != QChar(9) && Key != u'.' && !(Key >= u'0' && Key <= u'9'))
        Key = QChar();
}

void TForm1::EditSelStartKeyPress(QChar &Key)
{
    SectionKeyPress(StartSide(), Key);
}

void TForm1::EditSelEndKeyPress(QChar &Key)
{
    SectionKeyPress(EndSide(), Key);
}

void TForm1::EditSelStartEnter()
{
    lastGoodStart_ = ui->EditSelStart->text();
}

void TForm1::EditSelEndEnter()
{
    lastGoodEnd_ = ui->EditSelEnd->text();
}

void TForm1::EditSelStartExit()
{
    ReportFailures([this] { ApplySectionTime(StartSide()); });
}

void TForm1::EditSelEndExit()
{
    ReportFailures([this] { ApplySectionTime(EndSide()); });
}

std::optional<SectionMedia> TForm1::SectionSource() const
{
    const TMediaPlayer2 *player = Form4->Player();
    if (!player || player->FileName().isEmpty() || player->Duration() <= 0)
        return std::nullopt;
    return SectionMedia{player->Duration(), ui->TrackBarSelEnd->maximum()};
}

void TForm1::ApplySectionTime(const SectionSide &side)
{
    const QString text = side.box->text();
    if (text == DefaultPlaceholder || text.isEmpty()) {
        if (text.isEmpty())
            side.box->setText(DefaultPlaceholder);
        return;
    }
    if (!AcceptableSectionTime(side.start, text, side.otherBox->text(), SectionSource())) {
        services().dialogs->Message(QStringLiteral("Invalid entry"),
                                    QString::fromLatin1(side.start ? RejectedStartText : RejectedEndText),
                                    MessageIcon::Information);
        side.box->setText(side.lastGood);
        return;
    }
    side.lastGood = text;
    if (!side.bar->isEnabled())
        return;
    // The bar follows the typed time without its own change handling, so that the box keeps the
    // decimals typed and the player gets the exact time.
    const QSignalBlocker suspend(side.bar);
    const double seconds = SecondsOrFailure(text);
    side.bar->setValue(WholeSeconds(seconds));
    HighlightSection();
    SetPlayRange(side.start, seconds);
}

void TForm1::FollowSectionBar(const SectionSide &side)
{
    TTrackBar *start = ui->TrackBarSelStart;
    TTrackBar *end = ui->TrackBarSelEnd;
    if (start->value() >= end->value())
        side.bar->setValue(side.start ? end->value() - 1 : start->value() + 1);
    HighlightSection();
    side.box->setText(QString::number(side.bar->value()));
    SetPlayRange(side.start, side.bar->value());
}

void TForm1::TrackBarSelStartChange()
{
    FollowSectionBar(StartSide());
}

void TForm1::TrackBarSelEndChange()
{
    FollowSectionBar(EndSide());
}
