#include "settings/AudioSettings.h"

#include "params/AudioCodes.h"

QString AudioSettingCode(int index)
{
    const QStringList formats = AudioSettingCodes();
    if (index >= 1 && index <= formats.size())
        return formats[index - 1];
    return index == formats.size() + 1 ? NoSoundCode() : DefaultAudioCode();
}
