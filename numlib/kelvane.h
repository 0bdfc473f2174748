/* SPDX-License-Identifier: LGPL-3.0-or-later */
/*
 * kelvane.h -- the numeric library of Sedora (libkelvane.so).
 *
 * Three routines with a plain C ABI, callable from any language that can pass
 * addresses: getdata reads a data file into a point array and a comment
 * buffer, blank subtracts an interpolated blank scan from a data scan, and
 * tkrnd2 rounds an axis range to tidy ticks. The library keeps no state
 * between calls and owns no memory; every array belongs to the caller.
 *
 * Point arrays are 2200 points of three adjacent 32-bit floats each
 * (x = radius in cm, concentration, flag), 26400 bytes: point i (1-based)
 * occupies floats 3(i-1) .. 3(i-1)+2. A flag above 0 marks a good point,
 * below 0 a deleted one; its magnitude is a weight.
 *
 * Text buffers are single-byte characters, blank-padded and not
 * NUL-terminated; their lengths are passed by value.
 */
#ifndef KELVANE_H
#define KELVANE_H

#include <stdint.h>

#if defined(KELVANE_BUILDING_LIBRARY)
#define KELVANE_API __attribute__((visibility("default")))
#else
#define KELVANE_API
#endif

#define KELVANE_POINT_CAPACITY 2200 /* points in a point array */
#define KELVANE_MAX_POINTS 2199 /* points getdata stores at most */
#define KELVANE_COMMENT_SLOT 96 /* characters in one comment slot */
#define KELVANE_COMMENT_SLOTS 50 /* comment slots getdata fills at most */

#ifdef __cplusplus
extern "C" {
#endif

/*
 * getdata: read the data file named in fname.
 *
 * pts       out: a point array of 2200 points. Points 1..*n are written;
 *                the rest is left as it was. x is always a radius: when the
 *                first data line's x is 10.0 or more, every x of the file is
 *                XI = R^2/2 and is stored as sqrt(2x) (a negative XI keeps
 *                its sign: -sqrt(2|x|)).
 * n         out: number of data points stored, 0..2199.
 * fname     in:  the path, fname_len bytes, blank-padded, not necessarily
 *                NUL-terminated. Up to three trailing NUL characters (after
 *                trailing blanks) are replaced by blanks in place; the path
 *                ends at its last non-blank character or at a NUL.
 * fname_len in:  length of fname in bytes (any length; <= 0 means no path).
 * ncomm     out: number of comment lines stored.
 * comments  out: comment slots of 96 bytes each, line k in bytes
 *                (k-1)*96 .. k*96-1, blank-padded. At most 50 slots and never
 *                more than comments_len / 96 whole slots are written; further
 *                comment lines are skipped. Slots after *ncomm are untouched.
 * comments_len in: length of comments in bytes.
 *
 * A line is a data line when it has at least 5 characters (its line end,
 * LF or CR LF, not counted), its first four blank-, tab- or comma-separated
 * tokens (all of them if fewer) are numbers, there are at least two, and the
 * first is not 0. Numbers are: optional sign, digits with an optional
 * decimal point, optional exponent introduced by E or D (any case). A value
 * beyond the range of a 32-bit float, NaN and infinity are not numbers. The
 * third number is the flag (0 or absent: 100.0); a fourth is ignored. Only
 * the first 133 characters of a line are examined. Reading stops after the
 * 2199th data point.
 *
 * A file that cannot be opened or read, or is not a regular file, gives
 * n = 0 and ncomm = 0.
 */
KELVANE_API void getdata(float *pts, int32_t *n, char *fname, int32_t fname_len, int32_t *ncomm,
    char *comments, int32_t comments_len);

/*
 * blank: subtract the blank scan b (nb points) from the data scan d (n
 * points) into out.
 *
 * d, b   in:  point arrays of 2200 points, x ascending.
 * out    in/out: point array of 2200 points.
 * nlow   out: data points handled as lying at or below the blank's first x.
 * nhigh  out: data points handled as lying at or above the blank's last x.
 *
 * When the data lie wholly below or wholly above the blank, all 2200 points
 * of d (x, concentration and flag) are copied into out. Otherwise only the
 * concentrations of out's points 1..n change: the data concentration minus
 * the blank interpolated linearly at the data x, or the nearer end value of
 * the blank outside its range; x and flag of out keep their values.
 *
 * n <= 0 or nb <= 0 leaves out unchanged with both counters 0. Counts above
 * 2200 are taken as 2200. Two blank points with the same x never divide by
 * zero.
 */
KELVANE_API void blank(const float *d, const int32_t *n, const float *b, const int32_t *nb,
    float *out, int32_t *nlow, int32_t *nhigh);

/*
 * tkrnd2: round the axis range a..b (a < b) to tidy ticks.
 *
 * a, b    in:  smallest and largest value the axis must show.
 * start   out: axis start, a multiple of the tick step, at or below a.
 * end     out: axis end, a multiple of the tick step, at or above b.
 * count   out: number of tick intervals between start and end, normally
 *              5..9 (10 or more when neither halving nor doubling the step
 *              lands in that range).
 *
 * Inputs outside the contract (NaN, infinity, a >= b) still give a finite
 * start < end and count >= 1 in bounded time.
 */
KELVANE_API void tkrnd2(const float *a, const float *b, float *start, float *end, int32_t *count);

#ifdef __cplusplus
}
#endif

#endif /* KELVANE_H */
