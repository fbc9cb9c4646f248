#include "encoder/plan/PictureSize.h"

#include <algorithm>

namespace {

constexpr int LargestSide = 4096;

int evenSide(long value)
{
    return int(std::clamp(value, 2L, long(LargestSide))) & ~1;
}

QString clipText(const ClipNumbers &clip)
{
    return QStringLiteral("%1 %2 %3 %4").arg(clip.left).arg(clip.top).arg(clip.right).arg(clip.bottom);
}

} // namespace

std::optional<CropRect> PlanCrop(const std::optional<ClipNumbers> &clip, int width, int height, QStringList &notes)
{
    if (!clip)
        return std::nullopt;
    // In 64 bits: a negative margin reaches past the edge of a picture as wide as an int allows.
    qint64 right = clip->right;
    qint64 bottom = clip->bottom;
    if (right <= clip->left || bottom <= clip->top) {
        notes += QStringLiteral("-v_clip \"%1\" names no rectangle of the picture, so its numbers are read as the margins "
                                "to cut from the left, top, right and bottom.").arg(clipText(*clip));
        right = qint64(width) - clip->right;
        bottom = qint64(height) - clip->bottom;
    }
    if (right > width || bottom > height) {
        notes += QStringLiteral("-v_clip \"%1\" reaches past the %2x%3 picture; the clip stops at its edges.")
                     .arg(clipText(*clip)).arg(width).arg(height);
        right = std::min<qint64>(right, width);
        bottom = std::min<qint64>(bottom, height);
    }
    // Colour is stored at half resolution, so the kept rectangle starts and spans even pixel counts.
    const int x = clip->left & ~1;
    const int y = clip->top & ~1;
    const CropRect rect{x, y, int((right - x) & ~1), int((bottom - y) & ~1)};
    if (rect.width < 2 || rect.height < 2)
        throw Failure(QStringLiteral("-v_clip \"%1\" leaves nothing of the %2x%3 picture.").arg(clipText(*clip)).arg(width).arg(height));
    if (rect.width == (width & ~1) && rect.height == (height & ~1))
        return std::nullopt;
    return rect;
}

PictureSize PlanPictureSize(const Settings &settings, const ProfilePicture *profile, PictureSize kept, AVRational sampleAspect,
                            bool &squarePixels, QStringList &notes)
{
    const double displayAspect = double(kept.width) * av_q2d(sampleAspect) / kept.height;
    PictureSize size = profile ? PictureSize{profile->width, profile->height} : kept;
    if (settings.width && settings.height)
        size = {*settings.width, *settings.height};
    else if (settings.width)
        size = {*settings.width, int(std::lround(*settings.width / displayAspect))};
    else if (settings.height)
        size = {int(std::lround(*settings.height * displayAspect)), *settings.height};
    squarePixels = settings.width || settings.height;

    const Preprocessing method = settings.preprocessing.value_or(Preprocessing::None);
    if (method == Preprocessing::DeinterlaceHalfSize || method == Preprocessing::DeinterlaceHalfSizeDoubleRate) {
        if (squarePixels)
            notes += QStringLiteral("-v_width and -v_height are left aside: deinterlace method %1 halves the picture.").arg(int(method));
        size = {kept.width / 2, kept.height / 2};
        squarePixels = false;
    } else if (method == Preprocessing::DeinterlaceHalfHeightDoubleRate) {
        if (settings.height)
            notes += QStringLiteral("-v_height is left aside: deinterlace method 4 halves the picture's height.");
        size.height = kept.height / 2;
        squarePixels = false;
    }
    const PictureSize even{evenSide(size.width), evenSide(size.height)};
    const bool givenSideChanged = (settings.width && even.width != *settings.width) || (settings.height && even.height != *settings.height);
    if (squarePixels && givenSideChanged)
        notes += QStringLiteral("The picture is made %1x%2: its sides are kept even, from 2 to %3.").arg(even.width).arg(even.height).arg(LargestSide);
    return even;
}
