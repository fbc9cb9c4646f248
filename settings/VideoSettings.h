#pragma once

#include <QString>
#include <optional>

// What choosing a row of the encoding-mode list does: the -v_mode value (empty for "(default)"), the
// quality position it starts from (-1: no value), and which controls stay enabled. A disabled
// bit-rate or buffer box is reset to "(default)".
struct EncodingModeRow {
    QString mode;
    int quality;
    bool bitrateEnabled;
    bool bufferEnabled;
    bool qualityEnabled;
};
std::optional<EncodingModeRow> EncodingMode(int index);

// The -v_framerate value of a frame-rate row: empty for row 0 "(Same as source)" and for no row.
QString FramerateOfRow(int index);

// What a deinterlacing method does to the size and frame-rate controls: each reset one shows
// "(default)" (or "(Same as source)") and is disabled; the others are enabled with their values.
struct DeinterlaceMethodRow {
    bool resetWidth;
    bool resetHeight;
    bool resetFramerate;
};
std::optional<DeinterlaceMethodRow> DeinterlaceMethod(int index);

// The -v_preproc value: the method's number (1 to 5) while deinterlacing is on, "0" while it is off.
QString PreprocValue(int methodIndex, bool deinterlace);

// The whole number a text spells (an optional sign and decimal digits), or 0 when it spells none or
// one too large.
int SafeStrToInt(const QString &text);

// The -v_clip value "left top right bottom": with a picture size known (both above 0), the right and
// bottom numbers are the kept rectangle's edges, the picture size less the right and bottom margins;
// otherwise the four margins as typed.
QString ClipValue(const QString &left, const QString &top, const QString &right, const QString &bottom, int width,
                  int height);

// Margin texts that all read exactly "0" clear the -v_clip row.
bool NoClipping(const QString &left, const QString &top, const QString &right, const QString &bottom);
