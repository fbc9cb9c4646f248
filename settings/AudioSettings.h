#pragma once

#include <QString>

// The -a_setting code of an audio list row: row 0 "(default)" stores the utility's default code, the
// rows below it each code of a sound format in the utility's order, and the last row the code for no
// sound. Any index outside the list gives the default code too.
QString AudioSettingCode(int index);
