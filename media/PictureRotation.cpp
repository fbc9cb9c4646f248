#include "media/PictureRotation.h"

#include <cmath>
#include <cstdlib>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/display.h>
}

namespace {

int nearestQuarter(double clockwise)
{
    if (!std::isfinite(clockwise))
        return 0;
    const long quarters = std::lround(clockwise / 90) % 4;
    return int(quarters < 0 ? quarters + 4 : quarters) * 90;
}

} // namespace

int PictureRotation(const AVStream *stream)
{
    size_t size = 0;
    if (const uint8_t *matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size); matrix && size >= 9 * sizeof(int32_t))
        // The matrix tells the turn counterclockwise.
        return nearestQuarter(-av_display_rotation_get(reinterpret_cast<const int32_t *>(matrix)));
    if (const AVDictionaryEntry *tag = av_dict_get(stream->metadata, "rotate", nullptr, 0))
        return nearestQuarter(std::strtod(tag->value, nullptr));
    return 0;
}
