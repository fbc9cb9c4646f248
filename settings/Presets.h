#pragma once

#include <QString>

// The rows of the preset list: row 0 "(Custom settings)", then groups of profiles under blank, heading
// and separator rows, which cannot be chosen.

// The profile name a preset row stands for; empty for row 0, the rows that cannot be chosen and any
// index outside the list.
QString PresetProfile(int index);

// Blank, heading and separator rows.
bool IsPresetPlaceholder(int index);

// Rows of the audio-and-video and the video-only groups.
bool IsVideoPreset(int index);
