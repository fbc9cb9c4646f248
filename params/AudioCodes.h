#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// A sound format of the output: bit rate in bit/s, sampling rate in Hz, 1 or 2 channels.
struct AudioFormat {
    int bitRate = 0;
    int sampleRate = 0;
    int channels = 0;
};

// The format an audio setting code names: "64_44_2" is 64 kbit/s, 44.1 kHz, stereo. Nothing for a
// text that is not one of the codes.
std::optional<AudioFormat> AudioFormatFromCode(const QString &code);

// Every audio setting code, from the richest to the leanest: bit rate in kbit/s, sampling rate in kHz
// without its fraction and the channel count, joined by underscores. The window's audio list shows
// them in this order, between its "(default)" row and its video-only row.
QStringList AudioSettingCodes();

// The code of the format the utility gives a file when neither -a_setting nor a profile names one,
// which the audio list's "(default)" row stores.
QString DefaultAudioCode();

// The -a_setting value that asks for a file without sound.
QString NoSoundCode();
