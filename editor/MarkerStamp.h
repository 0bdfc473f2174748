// SPDX-License-Identifier: GPL-3.0-or-later
// A marker's picture prepared for copying straight into the pixels of an
// image, source over, with the raster engine's rounding: the same pixels as
// QPainter::drawImage at a whole-pixel position, without its per-call cost,
// which for thousands of small markers outweighs the pixels themselves.
#pragma once

#include <QImage>
#include <QRect>

#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

class MarkerStamp
{
public:
    MarkerStamp() = default;
    // `sprite` in Format_ARGB32_Premultiplied.
    explicit MarkerStamp(const QImage &sprite);

    int width() const { return m_width; }
    int height() const { return m_height; }
    // Copies the picture with its top left corner at (x, y) into `pixels`
    // (RGB32 or ARGB32_Premultiplied rows `stride` bytes apart), only where
    // it falls inside `box`, which lies inside the image. Quickest when only
    // rows are cut off.
    void stamp(uchar *pixels, qsizetype stride, int x, int y, const QRect &box) const;

private:
    struct Texel {
        int x = 0;
        int y = 0;
        QRgb colour = 0;
    };
    std::vector<Texel> m_texels; // the covered pixels, for a picture cut by the box
#if defined(__SSE2__)
    // Four pixels side by side, aligned as the image's 16-byte blocks are,
    // with at least one covered: their colours and, per colour channel,
    // 255 - alpha. Markers lie less than a pixel apart, so each block is
    // read right after the marker before wrote it; aligned, the read meets
    // exactly the bytes written, which processors forward fastest.
    struct Quad {
        __m128i colour;
        __m128i inverseLow;
        __m128i inverseHigh;
        int x; // pixels from the block that holds the picture's left edge
    };
    // For each offset of the picture's left edge in its block (0 to 3
    // pixels), the quads of each row: row y's are quads[offset][rows[offset][y]
    // up to rows[offset][y + 1]].
    std::vector<Quad> m_quads[4];
    std::vector<int> m_rows[4];
#endif
    int m_width = 0;
    int m_height = 0;
};
