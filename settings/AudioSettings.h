#pragma once

#include <QString>

// The code of an audio list row: bit rate in kbit/s, sampling rate in kHz without its fraction and the
// channel count, joined by underscores ("128_44_2"), or "0" for no sound. Row 0 "(default)" and any
// index outside the list give the default code "64_44_2".
QString AudioSettingCode(int index);
