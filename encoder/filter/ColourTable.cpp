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

// The strides of the three axes within a plane of the table, in floats.
constexpr int LumaStride = 1;
constexpr int CrStride = LumaPoints * LumaStride;
constexpr int CbStride = ChromaPoints * CrStride;
constexpr int Plane = ChromaPoints * CbStride;

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

int gammaStep(float light)
{
    return int(std::bit_cast<uint32_t>(std::clamp(light, Black, Brightest)) >> MantissaShift) - (LowestExponent << MantissaBits);
}

float gammaOf(const float *gamma, float light)
{
    return gamma[gammaStep(light)];
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
        table.light_.resize(size_t(Plane) * 3);
        // gbrpf32le holds green, blue and red planes.
        for (const auto &[channel, plane] : {std::pair{0, 2}, std::pair{1, 0}, std::pair{2, 1}})
            for (int row = 0; row < height; ++row) {
                const auto *from = reinterpret_cast<const float *>(light->data[plane] + row * light->linesize[plane]);
                // A value the filters could not work out stands for no light, as the lookups need numbers.
                std::transform(from, from + width, table.light_.begin() + channel * Plane + row * width,
                               [](float value) { return std::isfinite(value) ? value : 0.0f; });
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

// The pixels of the row from `from` to `to`, one at a time.
void mapPixels(const float *table, const float *gamma, const RowIn &in, const RowOut &out, int from, int to)
{
    for (int x = from; x < to; ++x) {
        const int yCode = std::min<int>(in.luma[x], Codes - 1);
        const int cbCode = std::min<int>(in.cb[x >> 1], Codes - 1);
        const int crCode = std::min<int>(in.cr[x >> 1], Codes - 1);
        const int yPoint = std::min(yCode / LumaStep, LumaPoints - 2);
        const int cbPoint = std::min(cbCode / ChromaStep, ChromaPoints - 2);
        const int crPoint = std::min(crCode / ChromaStep, ChromaPoints - 2);
        // The last cell of an axis ends at the highest code, a code short of a whole step.
        const float fy = float(yCode - yPoint * LumaStep) * (1.0f / LumaStep + float(yPoint == LumaPoints - 2) * LumaLastCell);
        const float fb = float(cbCode - cbPoint * ChromaStep) * (1.0f / ChromaStep + float(cbPoint == ChromaPoints - 2) * ChromaLastCell);
        const float fr = float(crCode - crPoint * ChromaStep) * (1.0f / ChromaStep + float(crPoint == ChromaPoints - 2) * ChromaLastCell);
        // Tetrahedral interpolation: from the cell's first corner along the axis with the furthest way
        // in, then the next, to the opposite corner.
        const float most = std::max(fy, std::max(fb, fr));
        const float least = std::min(fy, std::min(fb, fr));
        const float middle = fy + fb + fr - most - least;
        const int first = fy >= fb && fy >= fr ? LumaStride : fb >= fr ? CbStride : CrStride;
        const int last = fr <= fb && fr <= fy ? CrStride : fb <= fy ? CbStride : LumaStride;
        const int corner = cbPoint * CbStride + crPoint * CrStride + yPoint * LumaStride;
        const int a = corner + first;
        const int c = corner + LumaStride + CbStride + CrStride;
        const int b = c - last;
        const auto light = [&](const float *plane) {
            return (1 - most) * plane[corner] + (most - middle) * plane[a] + (middle - least) * plane[b] + least * plane[c];
        };
        const float red = gammaOf(gamma, light(table));
        const float green = gammaOf(gamma, light(table + Plane));
        const float blue = gammaOf(gamma, light(table + 2 * Plane));
        out.luma[x] = level(16 + 219 * (Kr * red + Kg * green + Kb * blue));
        out.red[x] = red;
        out.green[x] = green;
        out.blue[x] = blue;
    }
}

#ifdef __x86_64__
// The same, eight pixels at a time, for processors that gather from tables (AVX2).
#define AVX2 __attribute__((target("avx2,fma")))

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

// A tetrahedron of a cell: its four corners and their weights.
struct TetrahedronAvx2 {
    __m256i corner, a, b, c;
    __m256 w0, w1, w2, w3;
};

// The gamma-corrected value of a plane of the table at eight pixels.
AVX2 __m256 shownAvx2(const float *plane, const float *gamma, const TetrahedronAvx2 &t)
{
    __m256 light = _mm256_mul_ps(t.w3, _mm256_i32gather_ps(plane, t.c, 4));
    light = _mm256_fmadd_ps(t.w2, _mm256_i32gather_ps(plane, t.b, 4), light);
    light = _mm256_fmadd_ps(t.w1, _mm256_i32gather_ps(plane, t.a, 4), light);
    light = _mm256_fmadd_ps(t.w0, _mm256_i32gather_ps(plane, t.corner, 4), light);
    const __m256 held = _mm256_min_ps(_mm256_max_ps(light, _mm256_set1_ps(Black)), _mm256_set1_ps(Brightest));
    const __m256i step = _mm256_sub_epi32(_mm256_srli_epi32(_mm256_castps_si256(held), MantissaShift),
                                          _mm256_set1_epi32(LowestExponent << MantissaBits));
    return _mm256_i32gather_ps(gamma, step, 4);
}

// Returns how many pixels it did, the rest being fewer than eight.
AVX2 int mapPixelsAvx2(const float *table, const float *gamma, const RowIn &in, const RowOut &out, int width)
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
        const __m256 most = _mm256_max_ps(fy, _mm256_max_ps(fb, fr));
        const __m256 least = _mm256_min_ps(fy, _mm256_min_ps(fb, fr));
        const __m256 middle = _mm256_sub_ps(_mm256_sub_ps(_mm256_add_ps(fy, _mm256_add_ps(fb, fr)), most), least);
        const __m256 yFirst = _mm256_and_ps(_mm256_cmp_ps(fy, fb, _CMP_GE_OQ), _mm256_cmp_ps(fy, fr, _CMP_GE_OQ));
        const __m256i first = pickAvx2(pickAvx2(crStride, cbStride, _mm256_cmp_ps(fb, fr, _CMP_GE_OQ)), lumaStride, yFirst);
        const __m256 rLast = _mm256_and_ps(_mm256_cmp_ps(fr, fb, _CMP_LE_OQ), _mm256_cmp_ps(fr, fy, _CMP_LE_OQ));
        const __m256i last = pickAvx2(pickAvx2(lumaStride, cbStride, _mm256_cmp_ps(fb, fy, _CMP_LE_OQ)), crStride, rLast);
        TetrahedronAvx2 t;
        t.corner = _mm256_add_epi32(_mm256_add_epi32(_mm256_mullo_epi32(cbPoint, cbStride), _mm256_mullo_epi32(crPoint, crStride)),
                                    _mm256_mullo_epi32(yPoint, lumaStride));
        t.a = _mm256_add_epi32(t.corner, first);
        t.c = _mm256_add_epi32(t.corner, _mm256_set1_epi32(LumaStride + CbStride + CrStride));
        t.b = _mm256_sub_epi32(t.c, last);
        t.w0 = _mm256_sub_ps(_mm256_set1_ps(1), most);
        t.w1 = _mm256_sub_ps(most, middle);
        t.w2 = _mm256_sub_ps(middle, least);
        t.w3 = least;
        const __m256 red = shownAvx2(table, gamma, t);
        const __m256 green = shownAvx2(table + Plane, gamma, t);
        const __m256 blue = shownAvx2(table + 2 * Plane, gamma, t);
        __m256 luma = _mm256_mul_ps(_mm256_set1_ps(Kb), blue);
        luma = _mm256_fmadd_ps(_mm256_set1_ps(Kg), green, luma);
        luma = _mm256_fmadd_ps(_mm256_set1_ps(Kr), red, luma);
        luma = _mm256_fmadd_ps(_mm256_set1_ps(219), luma, _mm256_set1_ps(16));
        luma = _mm256_add_ps(_mm256_min_ps(_mm256_max_ps(luma, _mm256_setzero_ps()), _mm256_set1_ps(255)), _mm256_set1_ps(0.5f));
        const __m256i levels = _mm256_cvttps_epi32(luma);
        const __m256i words = _mm256_packus_epi32(levels, levels);
        const __m256i bytes = _mm256_packus_epi16(words, words);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out.luma + x),
                         _mm_unpacklo_epi32(_mm256_castsi256_si128(bytes), _mm256_extracti128_si256(bytes, 1)));
        _mm256_storeu_ps(out.red + x, red);
        _mm256_storeu_ps(out.green + x, green);
        _mm256_storeu_ps(out.blue + x, blue);
    }
    return x;
}

#undef AVX2

#endif

} // namespace

void ColourTable::mapRow(const uint16_t *luma, const uint16_t *cb, const uint16_t *cr, int width, uint8_t *lumaOut, float *red,
                          float *green, float *blue) const
{
    const RowIn in{luma, cb, cr};
    const RowOut out{lumaOut, red, green, blue};
#ifdef __x86_64__
    static const bool gathers = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    const int done = gathers ? mapPixelsAvx2(light_.data(), gamma_.data(), in, out, width) : 0;
#else
    const int done = 0;
#endif
    mapPixels(light_.data(), gamma_.data(), in, out, done, width);
}

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
            mapRow(row16(in, 0, y + row), row16(in, 1, y / 2), row16(in, 2, y / 2), width, out.data[0] + (y + row) * out.linesize[0],
                   rgbRow(row, 0), rgbRow(row, 1), rgbRow(row, 2));
            if (width % 2)
                for (int channel = 0; channel < 3; ++channel)
                    rgbRow(row, channel)[width] = rgbRow(row, channel)[width - 1];
        }
        const int bottom = rowCount - 1;
        const float *r0 = rgbRow(0, 0), *g0 = rgbRow(0, 1), *b0 = rgbRow(0, 2);
        const float *r1 = rgbRow(bottom, 0), *g1 = rgbRow(bottom, 1), *b1 = rgbRow(bottom, 2);
        uint8_t *cbOut = out.data[1] + (y / 2) * out.linesize[1];
        uint8_t *crOut = out.data[2] + (y / 2) * out.linesize[2];
        for (int block = 0; block < blocks; ++block) {
            const int x = block * 2;
            const float r = (r0[x] + r0[x + 1] + r1[x] + r1[x + 1]) * 0.25f;
            const float g = (g0[x] + g0[x + 1] + g1[x] + g1[x + 1]) * 0.25f;
            const float b = (b0[x] + b0[x + 1] + b1[x] + b1[x + 1]) * 0.25f;
            const float luma = Kr * r + Kg * g + Kb * b;
            cbOut[block] = level(128 + 224 * (b - luma) / (2 * (1 - Kb)));
            crOut[block] = level(128 + 224 * (r - luma) / (2 * (1 - Kr)));
        }
    }
}
