#include "app/gui/Unit1.h"
#include "params/gui/StoreParam.h"
#include "platform/PathHelpers.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Services.h"
#include "settings/AudioSettings.h"
#include "settings/Presets.h"
#include "ui_Unit1.h"

namespace {

const char *const AdviceText = "The preset you chose may not appropriate.\r\r"
                               "You have chosen a preset that is designed for video content.\r"
                               "It is recommended that you choose an Audio only preset.";

} // namespace

QString TForm1::PresetProfileName() const
{
    return PresetProfile(ui->ComboBoxPresets->ItemIndex());
}

void TForm1::ComboBoxPresetsChange()
{
    const int index = ui->ComboBoxPresets->ItemIndex();
    if (IsPresetPlaceholder(index))
        ui->ComboBoxPresets->SetItemIndex(0);
    else if (IsVideoPreset(index) && ExtractFileExt(ui->EditInput->text()).toUpper() == QLatin1String(".WAV"))
        services().dialogs->Message(QStringLiteral("Advice"), QString::fromLatin1(AdviceText), MessageIcon::Information);
    StoreParam(ui->ComboBoxPresets, PresetProfileName());
}

QString TForm1::AudioSettingName() const
{
    return AudioSettingCode(ui->ComboBoxAudioBR->ItemIndex());
}

void TForm1::ComboBoxAudioBRChange()
{
    StoreParam(ui->ComboBoxAudioBR, AudioSettingName());
}
