// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/MarkerStamp.h"

#include <algorithm>

namespace
{

// Each byte of `x` times `a` / 255, rounded as the raster engine's
// source-over blend rounds it.
inline QRgb byteMul(QRgb x, uint a)
{
    uint t = (x & 0xff00ff) * a;
    t = ((t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * a;
    x = (x + ((x >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return x | t;
}

inline QRgb over(QRgb source, QRgb destination)
{
    // A byteMul by 0 is 0: opaque pixels need no case of their own.
    return source + byteMul(destination, 255 - qAlpha(source));
}

} // namespace

MarkerStamp::MarkerStamp(const QImage &sprite)
    : m_width(sprite.width())
    , m_height(sprite.height())
{
    for (int y = 0; y < m_height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(sprite.constScanLine(y));
        for (int x = 0; x < m_width; ++x)
            if (qAlpha(line[x]) != 0)
                m_texels.push_back({ x, y, line[x] });
    }
#if defined(__SSE2__)
    // A transparent pixel leaves what is under it as it is, so the quads may
    // reach past the picture's edges.
    for (int offset = 0; offset < 4; ++offset) {
        m_rows[offset].push_back(0);
        for (int y = 0; y < m_height; ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(sprite.constScanLine(y));
            for (int x = 0; x < offset + m_width; x += 4) {
                alignas(16) QRgb colour[4] = {};
                bool covered = false;
                for (int k = 0; k < 4; ++k) {
                    const int source = x + k - offset;
                    colour[k] = source >= 0 && source < m_width ? line[source] : 0;
                    covered = covered || qAlpha(colour[k]) != 0;
                }
                if (!covered)
                    continue;
                alignas(16) quint16 low[8];
                alignas(16) quint16 high[8];
                for (int channel = 0; channel < 4; ++channel) {
                    low[channel] = quint16(255 - qAlpha(colour[0]));
                    low[4 + channel] = quint16(255 - qAlpha(colour[1]));
                    high[channel] = quint16(255 - qAlpha(colour[2]));
                    high[4 + channel] = quint16(255 - qAlpha(colour[3]));
                }
                m_quads[offset].push_back(
                    { _mm_load_si128(reinterpret_cast<const __m128i *>(colour)),
                        _mm_load_si128(reinterpret_cast<const __m128i *>(low)),
                        _mm_load_si128(reinterpret_cast<const __m128i *>(high)), x });
            }
            m_rows[offset].push_back(int(m_quads[offset].size()));
        }
    }
#endif
}

void MarkerStamp::stamp(uchar *pixels, qsizetype stride, int x, int y, const QRect &box) const
{
#if defined(__SSE2__)
    // Blocks may start up to three pixels left of the picture and end up to
    // three right of it; the pixels are 4-byte aligned in any image of the
    // two formats. Rows are cut to the box.
    if (x - 3 >= box.left() && x + m_width + 2 <= box.right()) {
        // Qt's own AVX code may leave the upper halves of the vector
        // registers in use; on some processors every SSE instruction then
        // waits on them, which tripled the cost of a paint.
        static const bool avx = __builtin_cpu_supports("avx");
        if (avx)
            asm volatile("vzeroupper" ::: "memory");
        const __m128i zero = _mm_setzero_si128();
        const __m128i half = _mm_set1_epi16(0x80);
        const int first = std::max(0, box.top() - y);
        const int last = std::min(m_height - 1, box.bottom() - y);
        for (int row = first; row <= last; ++row) {
            uchar *const left = pixels + qsizetype(y + row) * stride + qsizetype(x) * 4;
            const int offset = int((reinterpret_cast<std::uintptr_t>(left) & 15) / 4);
            uchar *const block = left - offset * 4;
            const Quad *quad = m_quads[offset].data() + m_rows[offset][size_t(row)];
            const Quad *const end = m_quads[offset].data() + m_rows[offset][size_t(row) + 1];
            for (; quad != end; ++quad) {
                auto *at = reinterpret_cast<__m128i *>(block + quad->x * 4);
                const __m128i d = _mm_load_si128(at);
                __m128i low = _mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), quad->inverseLow);
                __m128i high = _mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), quad->inverseHigh);
                low = _mm_srli_epi16(
                    _mm_add_epi16(_mm_add_epi16(low, _mm_srli_epi16(low, 8)), half), 8);
                high = _mm_srli_epi16(
                    _mm_add_epi16(_mm_add_epi16(high, _mm_srli_epi16(high, 8)), half), 8);
                _mm_store_si128(at, _mm_add_epi8(quad->colour, _mm_packus_epi16(low, high)));
            }
        }
        return;
    }
#endif
    const bool whole = x >= box.left() && y >= box.top() && x + m_width - 1 <= box.right()
        && y + m_height - 1 <= box.bottom();
    for (const Texel &texel : m_texels) {
        const int px = x + texel.x;
        const int py = y + texel.y;
        if (!whole && !box.contains(px, py))
            continue;
        QRgb &d = reinterpret_cast<QRgb *>(pixels + qsizetype(py) * stride)[px];
        d = over(texel.colour, d);
    }
}
