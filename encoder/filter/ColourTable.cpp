#include "encoder/filter/ColourTable.h"

#include "encoder/filter/FilterChain.h"
#include "platform/Failure.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <mutex>

#ifdef __x86_64__
#include <immintrin.h>
#endif

namespace {

constexpr int Codes = 1024; // of a 10-bit value
constexpr int LumaStep = 8;
constexpr int ChromaStep = 16;
constexpr int LumaPoints = Codes / LumaStep + 1;
constexpr int ChromaPoints = Codes / ChromaStep + 1;
// What the last cell's steps, a code short, add to a whole step's share.
constexpr float LumaLastCell = 1.0f / (LumaStep - 1) - 1.0f / LumaStep;
constexpr float ChromaLastCell = 1.0f / (ChromaStep - 1) - 1.0f / ChromaStep;

// The code of a point on an axis; the last point, one step past the codes, stands at the highest.
int codeOf(int point, int step)
{
    return std::min(point * step, Codes - 1);
}

// The strides of the three axes within the table, in points.
constexpr int LumaStride = 1;
constexpr int CrStride = LumaPoints * LumaStride;
constexpr int CbStride = ChromaPoints * CrStride;
constexpr int Points = ChromaPoints * CbStride;

// BT.601's weights, and limited range.
constexpr float Kr = 0.299f;
constexpr float Kb = 0.114f;
constexpr float Kg = 1 - Kr - Kb;

uint8_t level(float value)
{
    return uint8_t(std::clamp(value, 0.0f, 255.0f) + 0.5f);
}

// BT.1886's gamma is looked up by the bits of the light's float: its exponent and the top bits of its
// mantissa, 256 steps to each doubling of light, from 2^-24 (black) to 2 (past the most the filters
// give, a little over 1, reference white). A colour beyond BT.709's has a negative light, which is
// taken for black once it is interpolated: the colour is brought to BT.709's edge in linear light,
// as a screen can show no less. zscale's own gamma of negative light mirrors it on some processors
// and clips it on others.
constexpr int MantissaBits = 8;
constexpr int MantissaShift = 23 - MantissaBits;
constexpr int LowestExponent = 127 - 24;
constexpr int GammaSteps = (128 - LowestExponent) << MantissaBits;
constexpr float Black = 1.0f / (1 << 24);
constexpr float Brightest = 1.9999f;

// The steps of a point's red, green and blue in the gamma table, worked out at once.
using Steps = uint32_t __attribute__((vector_size(16)));

Steps gammaSteps(ColourTable::Light light)
{
    const ColourTable::Light black = {Black, Black, Black, Black};
    const ColourTable::Light brightest = {Brightest, Brightest, Brightest, Brightest};
    const ColourTable::Light held = light < black ? black : light > brightest ? brightest : light;
    return (std::bit_cast<Steps>(held) >> MantissaShift) - uint32_t(LowestExponent << MantissaBits);
}

} // namespace

ColourTable::ColourTable() : gamma_(GammaSteps)
{
    // Each step holds the gamma of the light in its middle; the first holds black's.
    for (int step = 1; step < GammaSteps; ++step) {
        const uint32_t middle = uint32_t((step + (LowestExponent << MantissaBits)) << MantissaShift) | (1U << (MantissaShift - 1));
        gamma_[size_t(step)] = float(std::pow(double(std::bit_cast<float>(middle)), 1 / 2.4));
    }
}

ColourTable ColourTable::sample(const QString &description)
{
    // Each row holds the luma points of one Cb, Cr pair, as the table does.
    const int width = LumaPoints;
    const int height = ChromaPoints * ChromaPoints;
    FilterChain chain = FilterChain::forPicture(width, height, AV_PIX_FMT_YUV444P16LE, {1, 25}, {1, 1}, {25, 1}, description);
    FrameHandle grid = NewFrame();
    grid->format = AV_PIX_FMT_YUV444P16LE;
    grid->width = width;
    grid->height = height;
    grid->pts = 0;
    // zimg's widest vector code reads rows aligned to 64 bytes.
    if (av_frame_get_buffer(grid.get(), 64) < 0)
        throw Failure(QStringLiteral("Out of memory."));
    // A 10-bit code is its 16-bit value shifted by 6 bits.
    for (int cb = 0; cb < ChromaPoints; ++cb)
        for (int cr = 0; cr < ChromaPoints; ++cr) {
            const int row = cb * ChromaPoints + cr;
            auto *y = reinterpret_cast<uint16_t *>(grid->data[0] + row * grid->linesize[0]);
            auto *u = reinterpret_cast<uint16_t *>(grid->data[1] + row * grid->linesize[1]);
            auto *v = reinterpret_cast<uint16_t *>(grid->data[2] + row * grid->linesize[2]);
            for (int luma = 0; luma < LumaPoints; ++luma) {
                y[luma] = uint16_t(codeOf(luma, LumaStep) << 6);
                u[luma] = uint16_t(codeOf(cb, ChromaStep) << 6);
                v[luma] = uint16_t(codeOf(cr, ChromaStep) << 6);
            }
        }
    chain.push(grid.get());
    chain.push(nullptr);
    ColourTable table;
    chain.pull([&](AVFrame *light) {
        if (light->format != AV_PIX_FMT_GBRPF32LE || light->width != width || light->height != height)
            throw Failure(QStringLiteral("The colour filters \"%1\" gave no linear light.").arg(description));
        table.light_.resize(size_t(Points));
        // gbrpf32le holds green, blue and red planes.
        for (const auto &[channel, plane] : {std::pair{0, 2}, std::pair{1, 0}, std::pair{2, 1}})
            for (int row = 0; row < height; ++row) {
                const auto *from = reinterpret_cast<const float *>(light->data[plane] + row * light->linesize[plane]);
                // A value the filters could not work out stands for no light, as the lookups need numbers.
                for (int point = 0; point < width; ++point)
                    table.light_[size_t(row * width + point)][channel] = std::isfinite(from[point]) ? from[point] : 0.0f;
            }
    });
    if (table.light_.empty())
        throw Failure(QStringLiteral("The colour filters \"%1\" gave nothing.").arg(description));
    return table;
}

std::shared_ptr<const ColourTable> ColourTable::shared(const QString &description)
{
    static std::mutex mutex;
    static QString lastDescription;
    static std::weak_ptr<const ColourTable> last;
    const std::lock_guard lock(mutex);
    if (description == lastDescription)
        if (std::shared_ptr<const ColourTable> table = last.lock())
            return table;
    auto table = std::make_shared<const ColourTable>(sample(description));
    lastDescription = description;
    last = table;
    return table;
}

namespace {

// One row of a picture, and what it becomes: each pixel's luma, and its gamma-corrected red, green
// and blue, which the chroma of its 2x2 block is made of.
struct RowIn {
    const uint16_t *luma;
    const uint16_t *cb; // a value for each two pixels
    const uint16_t *cr;
};
struct RowOut {
    uint8_t *luma;
    float *red;
    float *green;
    float *blue;
};

// The red, green and blue of a 2x2 block's two rows, a block being two pixels of each.
struct BlockRows {
    const float *top[3];
    const float *bottom[3];
};

// Chroma in limited range, from the difference of blue or red and luma.
constexpr float CbScale = 224 / (2 * (1 - Kb));
constexpr float CrScale = 224 / (2 * (1 - Kr));

// Where a code lies on an axis: the point before it, and how far past it, in steps.
struct AxisPlace {
    int point;
    float past;
};

AxisPlace placeOf(int code, int step, int points, float lastCell)
{
    const int point = std::min(code / step, points - 2);
    // The last cell of an axis ends at the highest code, a code short of a whole step.
    return {point, float(code - point * step) * (1.0f / float(step) + float(point == points - 2) * lastCell)};
}

// The pixels of the row from `from` to `to`, one at a time.
void mapPixels(const ColourTable::Light *table, const float *gamma, const RowIn &in, const RowOut &out, int from, int to)
{
    for (int x = from; x < to; ++x) {
        const AxisPlace y = placeOf(std::min<int>(in.luma[x], Codes - 1), LumaStep, LumaPoints, LumaLastCell);
        const AxisPlace cb = placeOf(std::min<int>(in.cb[x >> 1], Codes - 1), ChromaStep, ChromaPoints, ChromaLastCell);
        const AxisPlace cr = placeOf(std::min<int>(in.cr[x >> 1], Codes - 1), ChromaStep, ChromaPoints, ChromaLastCell);
        // Tetrahedral interpolation: from the cell's first corner along the axis with the furthest way
        // in, then the next, to the opposite corner.
        const float most = std::max(y.past, std::max(cb.past, cr.past));
        const float least = std::min(y.past, std::min(cb.past, cr.past));
        const float middle = y.past + cb.past + cr.past - most - least;
        const int first = y.past >= cb.past && y.past >= cr.past ? LumaStride : cb.past >= cr.past ? CbStride : CrStride;
        const int last = cr.past <= cb.past && cr.past <= y.past ? CrStride : cb.past <= y.past ? CbStride : LumaStride;
        const ColourTable::Light *corner = table + cb.point * CbStride + cr.point * CrStride + y.point * LumaStride;
        const ColourTable::Light *opposite = corner + LumaStride + CbStride + CrStride;
        const ColourTable::Light light =
            (1 - most) * corner[0] + (most - middle) * corner[first] + (middle - least) * opposite[-last] + least * opposite[0];
        const Steps steps = gammaSteps(light);
        const float red = gamma[steps[0]];
        const float green = gamma[steps[1]];
        const float blue = gamma[steps[2]];
        out.luma[x] = level(16 + 219 * (Kr * red + Kg * green + Kb * blue));
        out.red[x] = red;
        out.green[x] = green;
        out.blue[x] = blue;
    }
}

#ifdef __x86_64__
// The same, eight pixels at a time, on processors with AVX2: the cells and weights of eight pixels
// are worked out at once, and each pixel's four corners are read and weighed as vectors of red,
// green and blue; gathering each colour's corners apart costs several times as much on some
// processors.
#define AVX2 __attribute__((target("avx2,fma")))

bool hasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return has;
}

// Eight codes' points on an axis of the given step, and how far past them, in steps.
AVX2 __m256 betweenAvx2(__m256i code, int shift, int step, float lastCell, __m256i &point)
{
    const __m256i lastPoint = _mm256_set1_epi32(Codes / step - 1);
    point = _mm256_min_epi32(_mm256_srli_epi32(code, shift), lastPoint);
    const __m256 share = _mm256_add_ps(_mm256_set1_ps(1.0f / float(step)),
                                       _mm256_and_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(point, lastPoint)), _mm256_set1_ps(lastCell)));
    return _mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_sub_epi32(code, _mm256_slli_epi32(point, shift))), share);
}

// Each of four chroma values, from x / 2 on, for the two pixels it serves.
AVX2 __m256i chromaAvx2(const uint16_t *values, int x)
{
    const __m128i four = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(values + x / 2));
    return _mm256_min_epi32(_mm256_cvtepu16_epi32(_mm_unpacklo_epi16(four, four)), _mm256_set1_epi32(Codes - 1));
}

AVX2 __m256i pickAvx2(__m256i otherwise, __m256i chosen, __m256 where)
{
    return _mm256_blendv_epi8(otherwise, chosen, _mm256_castps_si256(where));
}

// The gamma-corrected values of eight pixels' light, looked up one by one: eight plain loads take
// less time than a gather instruction on some processors, and no more on others.
AVX2 __m256 shownAvx2(const float *gamma, __m256 light)
{
    const __m256 held = _mm256_min_ps(_mm256_max_ps(light, _mm256_set1_ps(Black)), _mm256_set1_ps(Brightest));
    alignas(32) uint32_t step[8];
    _mm256_store_si256(reinterpret_cast<__m256i *>(step), _mm256_sub_epi32(_mm256_srli_epi32(_mm256_castps_si256(held), MantissaShift),
                                                                             _mm256_set1_epi32(LowestExponent << MantissaBits)));
    return _mm256_setr_ps(gamma[step[0]], gamma[step[1]], gamma[step[2]], gamma[step[3]], gamma[step[4]], gamma[step[5]], gamma[step[6]],
                          gamma[step[7]]);
}

// Eight values as levels, as level() makes them.
AVX2 void storeLevelsAvx2(__m256 value, uint8_t *out)
{
    const __m256 held = _mm256_add_ps(_mm256_min_ps(_mm256_max_ps(value, _mm256_setzero_ps()), _mm256_set1_ps(255)), _mm256_set1_ps(0.5f));
    const __m256i levels = _mm256_cvttps_epi32(held);
    const __m256i words = _mm256_packus_epi32(levels, levels);
    const __m256i bytes = _mm256_packus_epi16(words, words);
    _mm_storel_epi64(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi32(_mm256_castsi256_si128(bytes), _mm256_extracti128_si256(bytes, 1)));
}

// The light of eight pixels, each the weighed sum of its cell's four corners, as red, green and blue
// vectors. Pixels x and x + 4 are weighed side by side, a point in each half of a vector.
AVX2 void weighEight(const ColourTable::Light *table, const int32_t (*corners)[8], const __m256 weights[4], __m256 &red, __m256 &green,
                     __m256 &blue)
{
    const auto point = [&](int corner, int pixel) { return reinterpret_cast<const float *>(table + corners[corner][pixel]); };
    __m256 light[4];
#pragma GCC unroll 4
    for (int pixel = 0; pixel < 4; ++pixel) {
        const __m256i pair = _mm256_setr_epi32(pixel, pixel, pixel, pixel, pixel + 4, pixel + 4, pixel + 4, pixel + 4);
        light[pixel] = _mm256_mul_ps(_mm256_permutevar8x32_ps(weights[0], pair), _mm256_loadu2_m128(point(0, pixel + 4), point(0, pixel)));
#pragma GCC unroll 3
        for (int corner = 1; corner < 4; ++corner)
            light[pixel] = _mm256_fmadd_ps(_mm256_permutevar8x32_ps(weights[corner], pair),
                                           _mm256_loadu2_m128(point(corner, pixel + 4), point(corner, pixel)), light[pixel]);
    }
    // Each half holds four pixels' red, green, blue and unused values; turned about, a colour's.
    const __m256 redGreen01 = _mm256_unpacklo_ps(light[0], light[1]);
    const __m256 redGreen23 = _mm256_unpacklo_ps(light[2], light[3]);
    const __m256 blue01 = _mm256_unpackhi_ps(light[0], light[1]);
    const __m256 blue23 = _mm256_unpackhi_ps(light[2], light[3]);
    red = _mm256_castpd_ps(_mm256_unpacklo_pd(_mm256_castps_pd(redGreen01), _mm256_castps_pd(redGreen23)));
    green = _mm256_castpd_ps(_mm256_unpackhi_pd(_mm256_castps_pd(redGreen01), _mm256_castps_pd(redGreen23)));
    blue = _mm256_castpd_ps(_mm256_unpacklo_pd(_mm256_castps_pd(blue01), _mm256_castps_pd(blue23)));
}

// Returns how many pixels it did, the rest being fewer than eight.
AVX2 int mapPixelsAvx2(const ColourTable::Light *table, const float *gamma, const RowIn &in, const RowOut &out, int width)
{
    const __m256i lumaStride = _mm256_set1_epi32(LumaStride);
    const __m256i cbStride = _mm256_set1_epi32(CbStride);
    const __m256i crStride = _mm256_set1_epi32(CrStride);
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256i yCode = _mm256_min_epi32(_mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(in.luma + x))),
                                               _mm256_set1_epi32(Codes - 1));
        __m256i yPoint, cbPoint, crPoint;
        const __m256 fy = betweenAvx2(yCode, 3, LumaStep, LumaLastCell, yPoint);
        const __m256 fb = betweenAvx2(chromaAvx2(in.cb, x), 4, ChromaStep, ChromaLastCell, cbPoint);
        const __m256 fr = betweenAvx2(chromaAvx2(in.cr, x), 4, ChromaStep, ChromaLastCell, crPoint);
        // Tetrahedral interpolation, as mapPixels does it.
        const __m256 most = _mm256_max_ps(fy, _mm256_max_ps(fb, fr));
        const __m256 least = _mm256_min_ps(fy, _mm256_min_ps(fb, fr));
        const __m256 middle = _mm256_sub_ps(_mm256_sub_ps(_mm256_add_ps(fy, _mm256_add_ps(fb, fr)), most), least);
        const __m256 yFirst = _mm256_and_ps(_mm256_cmp_ps(fy, fb, _CMP_GE_OQ), _mm256_cmp_ps(fy, fr, _CMP_GE_OQ));
        const __m256i first = pickAvx2(pickAvx2(crStride, cbStride, _mm256_cmp_ps(fb, fr, _CMP_GE_OQ)), lumaStride, yFirst);
        const __m256 rLast = _mm256_and_ps(_mm256_cmp_ps(fr, fb, _CMP_LE_OQ), _mm256_cmp_ps(fr, fy, _CMP_LE_OQ));
        const __m256i last = pickAvx2(pickAvx2(lumaStride, cbStride, _mm256_cmp_ps(fb, fy, _CMP_LE_OQ)), crStride, rLast);
        alignas(32) int32_t corners[4][8];
        const __m256i corner = _mm256_add_epi32(_mm256_add_epi32(_mm256_mullo_epi32(cbPoint, cbStride), _mm256_mullo_epi32(crPoint, crStride)),
                                                _mm256_mullo_epi32(yPoint, lumaStride));
        const __m256i opposite = _mm256_add_epi32(corner, _mm256_set1_epi32(LumaStride + CbStride + CrStride));
        _mm256_store_si256(reinterpret_cast<__m256i *>(corners[0]), corner);
        _mm256_store_si256(reinterpret_cast<__m256i *>(corners[1]), _mm256_add_epi32(corner, first));
        _mm256_store_si256(reinterpret_cast<__m256i *>(corners[2]), _mm256_sub_epi32(opposite, last));
        _mm256_store_si256(reinterpret_cast<__m256i *>(corners[3]), opposite);
        const __m256 weights[4] = {_mm256_sub_ps(_mm256_set1_ps(1), most), _mm256_sub_ps(most, middle), _mm256_sub_ps(middle, least), least};
        __m256 red, green, blue;
        weighEight(table, corners, weights, red, green, blue);
        red = shownAvx2(gamma, red);
        green = shownAvx2(gamma, green);
        blue = shownAvx2(gamma, blue);
        __m256 luma = _mm256_mul_ps(_mm256_set1_ps(Kb), blue);
        luma = _mm256_fmadd_ps(_mm256_set1_ps(Kg), green, luma);
        luma = _mm256_fmadd_ps(_mm256_set1_ps(Kr), red, luma);
        storeLevelsAvx2(_mm256_fmadd_ps(_mm256_set1_ps(219), luma, _mm256_set1_ps(16)), out.luma + x);
        _mm256_storeu_ps(out.red + x, red);
        _mm256_storeu_ps(out.green + x, green);
        _mm256_storeu_ps(out.blue + x, blue);
    }
    return x;
}

// The sums of the pixel pairs of eight blocks of a row, from the given block on.
AVX2 __m256 pairsAvx2(const float *row, int block)
{
    // The sums come in the order of blocks 0, 1, 4, 5, 2, 3, 6, 7.
    const __m256 sums = _mm256_hadd_ps(_mm256_loadu_ps(row + 2 * block), _mm256_loadu_ps(row + 2 * block + 8));
    return _mm256_castpd_ps(_mm256_permute4x64_pd(_mm256_castps_pd(sums), _MM_SHUFFLE(3, 1, 2, 0)));
}

AVX2 __m256 meanAvx2(const BlockRows &rows, int channel, int block)
{
    return _mm256_mul_ps(_mm256_add_ps(pairsAvx2(rows.top[channel], block), pairsAvx2(rows.bottom[channel], block)), _mm256_set1_ps(0.25f));
}

// The chroma of eight 2x2 blocks at a time, as blockChroma works it out; returns how many blocks it did.
AVX2 int blockChromaAvx2(const BlockRows &rows, uint8_t *cbOut, uint8_t *crOut, int blocks)
{
    int block = 0;
    for (; block + 8 <= blocks; block += 8) {
        const __m256 r = meanAvx2(rows, 0, block);
        const __m256 g = meanAvx2(rows, 1, block);
        const __m256 b = meanAvx2(rows, 2, block);
        const __m256 luma = _mm256_fmadd_ps(_mm256_set1_ps(Kr), r, _mm256_fmadd_ps(_mm256_set1_ps(Kg), g, _mm256_mul_ps(_mm256_set1_ps(Kb), b)));
        storeLevelsAvx2(_mm256_fmadd_ps(_mm256_sub_ps(b, luma), _mm256_set1_ps(CbScale), _mm256_set1_ps(128)), cbOut + block);
        storeLevelsAvx2(_mm256_fmadd_ps(_mm256_sub_ps(r, luma), _mm256_set1_ps(CrScale), _mm256_set1_ps(128)), crOut + block);
    }
    return block;
}

#undef AVX2

#endif

void blockChroma(const BlockRows &rows, uint8_t *cbOut, uint8_t *crOut, int blocks)
{
#ifdef __x86_64__
    const int done = hasAvx2() ? blockChromaAvx2(rows, cbOut, crOut, blocks) : 0;
#else
    const int done = 0;
#endif
    for (int block = done; block < blocks; ++block) {
        const int x = block * 2;
        const auto mean = [&](int channel) {
            return (rows.top[channel][x] + rows.top[channel][x + 1] + rows.bottom[channel][x] + rows.bottom[channel][x + 1]) * 0.25f;
        };
        const float r = mean(0);
        const float g = mean(1);
        const float b = mean(2);
        const float luma = Kr * r + Kg * g + Kb * b;
        cbOut[block] = level(128 + (b - luma) * CbScale);
        crOut[block] = level(128 + (r - luma) * CrScale);
    }
}

void mapRow(const ColourTable::Light *table, const float *gamma, const RowIn &in, const RowOut &out, int width)
{
#ifdef __x86_64__
    const int done = hasAvx2() ? mapPixelsAvx2(table, gamma, in, out, width) : 0;
#else
    const int done = 0;
#endif
    mapPixels(table, gamma, in, out, done, width);
}

} // namespace

void ColourTable::apply(const AVFrame &in, AVFrame &out) const
{
    const int width = in.width;
    const int height = in.height;
    const int blocks = (width + 1) / 2;
    // Two rows of red, green and blue, each a pixel longer for an odd width, whose last pixel is
    // counted twice.
    const size_t span = size_t(blocks) * 2;
    std::vector<float> rows(span * 6);
    const auto rgbRow = [&](int row, int channel) { return rows.data() + span * size_t(row * 3 + channel); };
    const auto row16 = [](const AVFrame &frame, int plane, int y) {
        return reinterpret_cast<const uint16_t *>(frame.data[plane] + y * frame.linesize[plane]);
    };
    for (int y = 0; y < height; y += 2) {
        // A last row alone is counted twice.
        const int rowCount = std::min(2, height - y);
        for (int row = 0; row < rowCount; ++row) {
            mapRow(light_.data(), gamma_.data(), {row16(in, 0, y + row), row16(in, 1, y / 2), row16(in, 2, y / 2)},
                   {out.data[0] + (y + row) * out.linesize[0], rgbRow(row, 0), rgbRow(row, 1), rgbRow(row, 2)}, width);
            if (width % 2)
                for (int channel = 0; channel < 3; ++channel)
                    rgbRow(row, channel)[width] = rgbRow(row, channel)[width - 1];
        }
        const int bottom = rowCount - 1;
        const BlockRows pair{{rgbRow(0, 0), rgbRow(0, 1), rgbRow(0, 2)}, {rgbRow(bottom, 0), rgbRow(bottom, 1), rgbRow(bottom, 2)}};
        blockChroma(pair, out.data[1] + (y / 2) * out.linesize[1], out.data[2] + (y / 2) * out.linesize[2], blocks);
    }
}
