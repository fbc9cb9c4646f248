#pragma once

#include <QString>

// The rows of the preset list: row 0 "(Custom settings)", then the utility's profiles in three groups
// (picture and sound, sound only, picture only), each under a blank, a heading and a separator row,
// which cannot be chosen.

// The profile name a preset row stands for; empty for row 0, the rows that cannot be chosen and any
// index outside the list.
QString PresetProfile(int index);

// Blank, heading and separator rows.
bool IsPresetPlaceholder(int index);

// Rows of profiles with a picture: the picture-and-sound and the picture-only groups.
bool IsVideoPreset(int index);
