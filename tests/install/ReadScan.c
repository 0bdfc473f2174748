/* SPDX-License-Identifier: LGPL-3.0-or-later */
/* A program of someone else's: reads a data file through the installed
 * libkelvane, found with pkg-config, and prints what it got. */
#include <kelvane.h>

#include <stdio.h>
#include <string.h>

int main(int argc, char **argv)
{
    static float pts[3 * KELVANE_POINT_CAPACITY];
    static char comments[KELVANE_COMMENT_SLOT * KELVANE_COMMENT_SLOTS];
    int32_t n = 0;
    int32_t ncomm = 0;
    if (argc != 2) {
        fprintf(stderr, "usage: read-scan FILE\n");
        return 2;
    }
    getdata(pts, &n, argv[1], (int32_t)strlen(argv[1]), &ncomm, comments, (int32_t)sizeof comments);
    printf(
        "%d points, %d comment lines, first x %.5f\n", (int)n, (int)ncomm, n > 0 ? pts[0] : 0.0f);
    return n > 0 ? 0 : 1;
}
