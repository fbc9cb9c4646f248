#pragma once

#include <QString>

// The 23 switches of the encoding utility. A switch's row number, 1 to 23, is also the Tag of the
// controls that feed it.
constexpr int ParamCount = 23;

// The switch name of row 1 to 23 ("-input" .. "-rating").
QString ParamName(int row);

// The row of a switch name (letter case significant), 0 when it is none of the 23.
int ParamRow(const QString &name);

// The rows by name, for the code that reads or writes one row directly.
enum ParamRowNumber {
    RowInput = 1, RowOutput = 2, RowAudioSetting = 3, RowVideoCodec = 4, RowWidth = 5, RowHeight = 6,
    RowMode = 7, RowFramerate = 8, RowKeyDistance = 9, RowBitrate = 10, RowQuality = 11, RowBuffer = 12,
    RowPreproc = 13, RowClip = 14, RowTime = 15, RowOutputString = 16, RowProfile = 17, RowConfig = 18,
    RowTitle = 19, RowAuthor = 20, RowCopyright = 21, RowDescription = 22, RowRating = 23
};
