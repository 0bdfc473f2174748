// SPDX-License-Identifier: LGPL-3.0-or-later
// getdata: the reader of data files.
#include "kelvane.h"

#include "FreeFormat.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr int retainedLength = 133; // characters of a line that are examined
constexpr int shortestDataLine = 5;

// Fills `path` (NUL-terminated) from the caller's blank-padded buffer, after
// turning up to three trailing NULs into blanks in place.
bool takePath(char *fname, int32_t fnameLen, char (&path)[PATH_MAX])
{
    if (fname == nullptr || fnameLen <= 0)
        return false;
    for (int round = 0; round < 3; ++round) {
        int last = fnameLen - 1;
        while (last >= 0 && fname[last] == ' ')
            --last;
        if (last >= 0 && fname[last] == '\0')
            fname[last] = ' ';
    }
    const char *nul = static_cast<const char *>(std::memchr(fname, '\0', size_t(fnameLen)));
    int length = nul ? int(nul - fname) : fnameLen;
    while (length > 0 && fname[length - 1] == ' ')
        --length;
    if (length == 0 || length >= PATH_MAX)
        return false;
    std::memcpy(path, fname, size_t(length));
    path[length] = '\0';
    return true;
}

// Opens a regular file for reading; anything else (a directory, a pipe, a
// device) would not end or not read as a data file.
int openRegularFile(const char *path)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat info {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

struct Reader {
    float *pts;
    char *comments;
    int commentSlots;
    int32_t count = 0;
    int32_t ncomm = 0;
    bool firstLine = true;
    bool radius = false;

    // Returns false when reading must stop (the point array is full).
    bool takeLine(const char *line, long length)
    {
        const int examined = int(std::min<long>(length, retainedLength));
        if (length >= shortestDataLine) {
            const kelvane::LineValues values = kelvane::readValues(line, examined, 4);
            const bool numeric = values.outcome == kelvane::ReadOutcome::Complete
                || (values.outcome == kelvane::ReadOutcome::OutOfValues && values.count >= 2);
            if (numeric && values.value[0] != 0.0f)
                return takePoint(values);
        }
        takeComment(line, examined);
        return true;
    }

    bool takePoint(const kelvane::LineValues &values)
    {
        const float x = values.value[0];
        if (firstLine) {
            radius = x < 10.0f;
            firstLine = false;
        }
        float *point = pts + 3 * count;
        if (radius) {
            point[0] = x;
        } else {
            // Computed in double so that the largest XI cannot overflow; a
            // negative XI keeps its sign rather than becoming NaN.
            const double r = std::sqrt(2.0 * std::fabs(double(x)));
            point[0] = float(x < 0.0f ? -r : r);
        }
        point[1] = values.value[1];
        const float w = values.count >= 3 ? values.value[2] : 100.0f;
        point[2] = w == 0.0f ? 100.0f : w;
        ++count;
        return count < KELVANE_MAX_POINTS;
    }

    void takeComment(const char *line, int examined)
    {
        if (ncomm >= commentSlots)
            return;
        char *slot = comments + std::ptrdiff_t(ncomm) * KELVANE_COMMENT_SLOT;
        const int copied = std::min(examined, KELVANE_COMMENT_SLOT);
        std::memcpy(slot, line, size_t(copied));
        std::memset(slot + copied, ' ', size_t(KELVANE_COMMENT_SLOT - copied));
        ++ncomm;
    }
};

} // namespace

extern "C" KELVANE_API void getdata(float *pts, int32_t *n, char *fname, int32_t fname_len,
    int32_t *ncomm, char *comments, int32_t comments_len)
{
    char path[PATH_MAX];
    const bool havePath = takePath(fname, fname_len, path);
    if (n)
        *n = 0;
    if (ncomm)
        *ncomm = 0;
    if (!havePath || pts == nullptr || n == nullptr || ncomm == nullptr)
        return;

    const int fd = openRegularFile(path);
    if (fd < 0)
        return;

    Reader reader { pts, comments,
        comments ? std::min(KELVANE_COMMENT_SLOTS, std::max(0, comments_len) / KELVANE_COMMENT_SLOT)
                 : 0 };

    // A line is handed over where it lies in the buffer; only a line that
    // spans two reads is gathered in `line`, and of that only the
    // characters that are examined.
    char buffer[65536];
    char line[retainedLength];
    long length = 0; // characters of the current gathered line so far
    bool pendingCr = false; // the current line's last character is a CR
    bool more = true;
    while (more) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        const char *p = buffer;
        const char *const end = buffer + got;
        while (p != end) {
            const char *newline = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
            const char *segmentEnd = newline ? newline : end;
            const long segment = long(segmentEnd - p);
            if (segment > 0)
                pendingCr = segmentEnd[-1] == '\r';
            if (newline && length == 0) {
                more = reader.takeLine(p, pendingCr ? segment - 1 : segment);
            } else {
                if (length < retainedLength)
                    std::memcpy(
                        line + length, p, size_t(std::min<long>(segment, retainedLength - length)));
                length = segment > LONG_MAX - length ? LONG_MAX : length + segment;
                if (!newline)
                    break;
                more = reader.takeLine(line, pendingCr ? length - 1 : length);
                length = 0;
            }
            if (!more)
                break;
            pendingCr = false;
            p = newline + 1;
        }
    }
    if (more && length > 0) {
        if (pendingCr)
            --length;
        reader.takeLine(line, length);
    }
    ::close(fd);
    *n = reader.count;
    *ncomm = reader.ncomm;
}
