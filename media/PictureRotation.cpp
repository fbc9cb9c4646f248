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

// The stream's display matrix, if it has one. FFmpeg 6.1 moved it to the codec parameters and
// deprecates the stream's own copy.
const uint8_t *displayMatrix(const AVStream *stream)
{
#if LIBAVCODEC_VERSION_INT >= AV_VERSION_INT(60, 29, 100)
    const AVCodecParameters *parameters = stream->codecpar;
    const AVPacketSideData *data = av_packet_side_data_get(parameters->coded_side_data, parameters->nb_coded_side_data,
                                                           AV_PKT_DATA_DISPLAYMATRIX);
    return data && data->size >= 9 * sizeof(int32_t) ? data->data : nullptr;
#else
    size_t size = 0;
    const uint8_t *matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    return size >= 9 * sizeof(int32_t) ? matrix : nullptr;
#endif
}

} // namespace

int PictureRotation(const AVStream *stream)
{
    if (const uint8_t *matrix = displayMatrix(stream))
        // The matrix tells the turn counterclockwise.
        return nearestQuarter(-av_display_rotation_get(reinterpret_cast<const int32_t *>(matrix)));
    if (const AVDictionaryEntry *tag = av_dict_get(stream->metadata, "rotate", nullptr, 0))
        return nearestQuarter(std::strtod(tag->value, nullptr));
    return 0;
}
