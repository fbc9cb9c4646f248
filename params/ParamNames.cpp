#include "params/ParamNames.h"

#include <array>

namespace {

constexpr std::array<const char *, ParamCount> Names = {
    "-input", "-output", "-a_setting", "-v_codec", "-v_width", "-v_height", "-v_mode", "-v_framerate",
    "-v_keydist", "-v_bitrate", "-v_quality", "-v_buffer", "-v_preproc", "-v_clip", "-time",
    "-outputstring", "-profile", "-config", "-title", "-author", "-copyright", "-description", "-rating",
};

} // namespace

QString ParamName(int row)
{
    Q_ASSERT(row >= 1 && row <= ParamCount);
    return QString::fromLatin1(Names[row - 1]);
}

int ParamRow(const QString &name)
{
    for (int row = 1; row <= ParamCount; ++row)
        if (name == QLatin1String(Names[row - 1]))
            return row;
    return 0;
}
