#include "app/gui/Forms.h"
#include "app/gui/Unit1.h"
#include "params/Placeholders.h"
#include "params/gui/StoreParam.h"
#include "settings/VideoSettings.h"
#include "source/gui/MediaPlayer.h"
#include "source/gui/Unit4.h"
#include "ui_Unit1.h"

#include <QSignalBlocker>

QList<QLineEdit *> TForm1::NumericBoxes() const
{
    return {ui->EditWidth, ui->EditHeight, ui->EditBitrate, ui->EditBuffer, ui->EditKeyframe};
}

void TForm1::ComboBoxModeChange()
{
    const int index = ui->ComboBoxMode->ItemIndex();
    if (const auto mode = EncodingMode(index)) {
        ui->TrackBarQuality->setValue(mode->quality);
        ui->EditBitrate->setEnabled(mode->bitrateEnabled);
        ui->EditBuffer->setEnabled(mode->bufferEnabled);
        if (!mode->bitrateEnabled)
            ResetToDefault(ui->EditBitrate);
        if (!mode->bufferEnabled)
            ResetToDefault(ui->EditBuffer);
        ui->TrackBarQuality->setEnabled(mode->qualityEnabled);
    }
    StoreParam(ui->ComboBoxMode, index == 0 ? QString() : QString::number(index - 1));
}

void TForm1::TrackBarQualityChange()
{
    const int quality = ui->TrackBarQuality->value();
    ui->Label10->setText(quality == -1 ? QString(DefaultPlaceholder) : QString::number(quality) + u'%');
    StoreParam(ui->TrackBarQuality, QString());
}

QString TForm1::FramerateValue() const
{
    const int index = ui->ComboBoxFramerate->ItemIndex();
    return index < 0 ? ui->ComboBoxFramerate->currentText() : FramerateOfRow(index);
}

void TForm1::ComboBoxFramerateChange()
{
    StoreParam(ui->ComboBoxFramerate, ui->ComboBoxFramerate->ItemIndex() == 0 ? QString() : FramerateValue());
}

void TForm1::EditChange()
{
    auto *box = qobject_cast<QLineEdit *>(sender());
    if (box->text().isEmpty()) {
        box->setText(DefaultPlaceholder);
        box->selectAll();
    }
}

// Clicking into a box that shows the placeholder empties it for typing; the placeholder must not come
// straight back, so the box's change handling is held off meanwhile.
void TForm1::EditClick()
{
    auto *box = qobject_cast<QLineEdit *>(sender());
    if (box->text() == DefaultPlaceholder) {
        const QSignalBlocker holdChange(box);
        box->clear();
    } else {
        box->selectAll();
    }
}

void TForm1::EditExit()
{
    StoreNumericBox(qobject_cast<QLineEdit *>(sender()));
}

void TForm1::StoreNumericBox(QLineEdit *box)
{
    if (box->text().isEmpty())
        box->setText(DefaultPlaceholder);
    StoreParam(box, QString());
}

void TForm1::EditKeyPress(QChar &Key)
{
    if (Key == QChar(13)) {
        Key = QChar();
        if (auto *box = qobject_cast<QLineEdit *>(sender()); NumericBoxes().contains(box))
            StoreNumericBox(box);
        return;
    }
    if (Key != QChar(8) && Key != QChar(9) && !(Key >= u'0' && Key <= u'9'))
        Key = QChar();
}

void TForm1::CheckBox1Click()
{
    const bool deinterlace = ui->CheckBox1->isChecked();
    ui->ComboBoxPreproc->setEnabled(deinterlace);
    ComboBoxPreprocChange();
    if (!deinterlace) {
        ui->EditWidth->setEnabled(true);
        ui->EditHeight->setEnabled(true);
        ui->ComboBoxFramerate->setEnabled(true);
    }
}

void TForm1::ComboBoxPreprocChange()
{
    const int index = ui->ComboBoxPreproc->ItemIndex();
    if (const auto method = DeinterlaceMethod(index)) {
        if (method->resetWidth)
            ResetToDefault(ui->EditWidth);
        if (method->resetHeight)
            ResetToDefault(ui->EditHeight);
        if (method->resetFramerate) {
            ui->ComboBoxFramerate->SetItemIndex(0);
            StoreParam(ui->ComboBoxFramerate, QString());
        }
        ui->EditWidth->setEnabled(!method->resetWidth);
        ui->EditHeight->setEnabled(!method->resetHeight);
        ui->ComboBoxFramerate->setEnabled(!method->resetFramerate);
    }
    StoreParam(ui->ComboBoxPreproc, PreprocValue(index, ui->CheckBox1->isChecked()));
}

void TForm1::EditClipBottomChange()
{
    auto *box = qobject_cast<QLineEdit *>(sender());
    if (box->text().isEmpty()) {
        box->setText(QStringLiteral("0"));
        box->selectAll();
    }
    const QString left = ui->EditClipLeft->text();
    const QString top = ui->EditClipTop->text();
    const QString right = ui->EditClipRight->text();
    const QString bottom = ui->EditClipBottom->text();
    if (NoClipping(left, top, right, bottom)) {
        StoreParam(box, QStringLiteral("!"));
        return;
    }
    const TMediaPlayer2 *player = Form4->Player();
    const int width = player ? player->ImageSourceWidth() : 0;
    const int height = player ? player->ImageSourceHeight() : 0;
    StoreParam(box, ClipValue(left, top, right, bottom, width, height));
}
