// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/NumLib.h"
#include "numlib/RawLibrary.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QFile>

#include <cmath>
#include <cstring>
#include <vector>

namespace
{

struct Loaded {
    PointArray pts;
    CommentBuffer comments;
    int32_t n = -1;
    int32_t ncomm = -1;
};

Loaded load(const QString &path)
{
    static NumLib lib;
    Loaded result;
    lib.getdata(result.pts, result.n, path, result.ncomm, result.comments);
    return result;
}

Loaded loadBytes(const QByteArray &bytes)
{
    TestFolder folder;
    return load(folder.write(QStringLiteral("data.dat"), bytes));
}

QByteArray trimmedSlot(const Loaded &l, int k)
{
    return l.comments.slot(k).trimmed();
}

} // namespace

// One line between two known data lines: it either becomes a point of its own
// or a comment line, and a point carries the expected flag.
TEST(Getdata, ClassifiesLines)
{
    struct Row {
        const char *name;
        QByteArray line;
        bool isData;
        float x = 0, conc = 0, flag = 0;
    };
    const Row rows[] = {
        { "two values", "6.0 0.5", true, 6.0f, 0.5f, 100.0f },
        { "zero flag", "6.0 0.5 0", true, 6.0f, 0.5f, 100.0f },
        { "negative flag", "6.0 0.5 -3", true, 6.0f, 0.5f, -3.0f },
        { "commas and fourth value", "6.0,0.5,2,99", true, 6.0f, 0.5f, 2.0f },
        { "word second", "6.0 abc", false },
        { "word third", "6.0 0.5 abc", false },
        { "zero x", "0 0.5 1", false },
        { "negative zero x", "-0.0 0.5 1", false },
        { "one number", "  6.5", false },
        { "word fourth", "6.0 0.5 3 abc", false },
        { "three characters", "1 2", false },
        { "five characters", "1 2  ", true, 1.0f, 2.0f, 100.0f },
        { "word fifth is ignored", "6.0 0.5 3 4 abc", true, 6.0f, 0.5f, 3.0f },
        { "D exponent", "6.1D0 -1.2d-3 2E1", true, 6.1f, -1.2e-3f, 20.0f },
        { "signs and bare points", "+6. -.5 +7", true, 6.0f, -0.5f, 7.0f },
        { "tabs separate", "6.0\t0.5\t2", true, 6.0f, 0.5f, 2.0f },
        { "comma with blanks", "6.0 , 0.5 ,2", true, 6.0f, 0.5f, 2.0f },
        { "trailing comma", "6.0,0.5,", true, 6.0f, 0.5f, 100.0f },
        { "empty value", "6.0,,0.5", false },
        { "leading comma", ",6.0 0.5", false },
        { "float overflow", "6.0 1e39", false },
        { "nan", "6.0 nan 1", false },
        { "infinity", "6.0 inf 1", false },
        { "spelled infinity", "6.0 0.5 Infinity", false },
        { "hexadecimal", "6.0 0x10", false },
        { "underflow reads as zero", "6.0 1e-50", true, 6.0f, 0.0f, 100.0f },
        { "repeat count", "6.0 2*0.5", false },
        { "slash", "6.0 0.5 /", false },
        { "exponent without digits", "6.0 1e+", false },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const Loaded l = loadBytes("6.1 1 1\n" + row.line + "\n6.2 2 1\n");
        if (row.isData) {
            ASSERT_EQ(l.n, 3);
            EXPECT_EQ(l.ncomm, 0);
            EXPECT_FLOAT_EQ(l.pts.x(2), row.x);
            EXPECT_FLOAT_EQ(l.pts.conc(2), row.conc);
            EXPECT_FLOAT_EQ(l.pts.flag(2), row.flag);
        } else {
            ASSERT_EQ(l.n, 2);
            ASSERT_EQ(l.ncomm, 1);
            EXPECT_EQ(l.comments.slot(1), row.line.leftJustified(96, ' ', true));
        }
        EXPECT_FLOAT_EQ(l.pts.x(l.n), 6.2f);
    }
}

TEST(Getdata, FirstDataLineDecidesTheUnit)
{
    const Loaded radius = loadBytes("6.5 1\n12.0 2\n");
    ASSERT_EQ(radius.n, 2);
    EXPECT_FLOAT_EQ(radius.pts.x(1), 6.5f);
    EXPECT_FLOAT_EQ(radius.pts.x(2), 12.0f);

    const Loaded xi = loadBytes("comment 1.0\n18.0 1\n24.5 2\n-8.0 3\n");
    ASSERT_EQ(xi.n, 3);
    EXPECT_FLOAT_EQ(xi.pts.x(1), 6.0f);
    EXPECT_FLOAT_EQ(xi.pts.x(2), 7.0f);
    EXPECT_FLOAT_EQ(xi.pts.x(3), -4.0f) << "a negative XI keeps its sign instead of becoming NaN";

    // 10.0 itself is XI; only what is below it is a radius.
    const Loaded ten = loadBytes("10.0 1\n12.5 2\n");
    ASSERT_EQ(ten.n, 2);
    EXPECT_FLOAT_EQ(ten.pts.x(1), 4.47213602f); // sqrt(20)
    EXPECT_FLOAT_EQ(ten.pts.x(2), 5.0f);
    const Loaded below = loadBytes("9.99999 1\n");
    EXPECT_FLOAT_EQ(below.pts.x(1), 9.99999f);

    const Loaded huge = loadBytes("3.0e38 1\n");
    ASSERT_EQ(huge.n, 1);
    EXPECT_TRUE(std::isfinite(huge.pts.x(1)));
}

TEST(Getdata, LineEndsAndLengths)
{
    // CR LF reads exactly as LF: "1 2" plus CR is still three characters.
    const Loaded crlf = loadBytes("head\r\n1 2\r\n6.0 0.5\r\n1 2  \r\nlast 1");
    ASSERT_EQ(crlf.n, 2);
    ASSERT_EQ(crlf.ncomm, 3);
    EXPECT_EQ(crlf.comments.slot(1), QByteArray("head").leftJustified(96));
    EXPECT_EQ(crlf.comments.slot(2), QByteArray("1 2").leftJustified(96));
    EXPECT_EQ(crlf.comments.slot(3), QByteArray("last 1").leftJustified(96));
    EXPECT_FLOAT_EQ(crlf.pts.conc(1), 0.5f);

    // A last line without a line end still counts; only 133 characters are examined.
    const QByteArray longLine = QByteArray(130, ' ') + "6.0 0.5";
    const Loaded cut = loadBytes("6.1 1\n" + longLine);
    EXPECT_EQ(cut.n, 1);
    EXPECT_EQ(cut.ncomm, 1);
    const QByteArray longData = "6.3 0.5 1" + QByteArray(200, ' ') + "junk";
    EXPECT_EQ(loadBytes(longData).n, 1);

    // A flag written across columns 133 and 134 keeps only its first digit;
    // one that starts in column 134 is not seen at all.
    const QByteArray across = QByteArray("6.4 0.5").leftJustified(132) + "25";
    ASSERT_EQ(across.indexOf("25"), 132);
    const Loaded acrossRead = loadBytes(across + "\n");
    ASSERT_EQ(acrossRead.n, 1);
    EXPECT_FLOAT_EQ(acrossRead.pts.flag(1), 2.0f);
    const Loaded beyond = loadBytes(QByteArray("6.4 0.5").leftJustified(133) + "25\n");
    ASSERT_EQ(beyond.n, 1);
    EXPECT_FLOAT_EQ(beyond.pts.flag(1), 100.0f);

    // Comment slots hold the first 96 characters, blank-padded.
    const QByteArray wide = QByteArray("w") + QByteArray(120, 'x');
    EXPECT_EQ(loadBytes(wide).comments.slot(1), wide.left(96));
}

TEST(Getdata, Limits)
{
    QByteArray many;
    for (int i = 0; i < 2500; ++i)
        many += QByteArray::number(5.0 + i * 0.001, 'f', 4) + " 1.0\n";
    many += "a comment after the last point\n";
    const Loaded full = loadBytes(many);
    EXPECT_EQ(full.n, 2199);
    EXPECT_EQ(full.ncomm, 0);
    EXPECT_FLOAT_EQ(full.pts.x(2199), 7.198f);

    QByteArray comments;
    for (int i = 1; i <= 60; ++i)
        comments += "comment " + QByteArray::number(i) + "\n";
    const Loaded sixty = loadBytes(comments + "6.0 0.5\n");
    EXPECT_EQ(sixty.ncomm, 50);
    EXPECT_EQ(sixty.n, 1);
    EXPECT_EQ(trimmedSlot(sixty, 50), "comment 50");
}

TEST(Getdata, EmptyAndUnreadableFilesGiveNothing)
{
    TestFolder folder;
    Loaded l;
    l.pts.x(1) = 42.0f;
    l.comments.setSlot(1, "kept");
    static NumLib lib;
    const QString empty = folder.write(QStringLiteral("empty.dat"), {});
    const QString locked = folder.write(QStringLiteral("locked.dat"), "6.0 0.5\n");
    QFile::setPermissions(locked, QFileDevice::Permissions());
    const bool rootReadsAnyway = QFile(locked).open(QIODevice::ReadOnly);
    for (const QString &path : { empty, folder.path(QStringLiteral("missing.dat")), folder.root(),
             QStringLiteral("/dev/null"), QString(), locked }) {
        if (path == locked && rootReadsAnyway)
            continue;
        SCOPED_TRACE(path.toStdString());
        l.n = l.ncomm = -1;
        lib.getdata(l.pts, l.n, path, l.ncomm, l.comments);
        EXPECT_EQ(l.n, 0);
        EXPECT_EQ(l.ncomm, 0);
        EXPECT_EQ(l.pts.x(1), 42.0f);
        EXPECT_EQ(trimmedSlot(l, 1), "kept");
    }
}

TEST(Getdata, ReadsTheExamples)
{
    const Loaded radius = load(examplePath(QStringLiteral("radius-scan.dat")));
    const Loaded xi = load(examplePath(QStringLiteral("xi-scan.dat")));
    ASSERT_EQ(radius.n, 434);
    ASSERT_EQ(xi.n, 434);
    EXPECT_EQ(radius.ncomm, 2);
    for (int i = 1; i <= radius.n; ++i) {
        ASSERT_NEAR(xi.pts.x(i), radius.pts.x(i), 1e-5);
        ASSERT_EQ(xi.pts.conc(i), radius.pts.conc(i));
    }
    const Loaded edited = load(examplePath(QStringLiteral("edited-scan.dat")));
    EXPECT_EQ(edited.n, 434);
    EXPECT_EQ(edited.ncomm, 4);
    EXPECT_FLOAT_EQ(edited.pts.flag(1), -100.0f);
    EXPECT_FLOAT_EQ(edited.pts.flag(8), 100.0f) << "a comma-separated line without a flag";
    EXPECT_FLOAT_EQ(edited.pts.flag(205), 2.5f);
}

// The C ABI itself: blank-padded names without a terminating NUL, trailing
// NULs, names longer than 160 characters, and a comment buffer that is
// shorter than 50 slots.
TEST(Getdata, RawBuffers)
{
    RawLibrary raw;
    TestFolder folder;
    const QByteArray longName = QByteArray(170, 'n') + ".dat";
    const QString path
        = folder.write(QString::fromLatin1(longName), "first comment\nsecond\n6.0 0.5\n");
    const QByteArray encoded = QFile::encodeName(path);

    std::vector<float> pts(3 * 2200, -1.0f);
    int32_t n = -1, ncomm = -1;
    std::vector<char> comments(4800, '#');

    QByteArray padded = encoded + QByteArray(20, ' ');
    raw.getdata(
        pts.data(), &n, padded.data(), int32_t(padded.size()), &ncomm, comments.data(), 4800);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(ncomm, 2);

    QByteArray withNuls = encoded + '\0' + ' ' + '\0' + '\0';
    raw.getdata(
        pts.data(), &n, withNuls.data(), int32_t(withNuls.size()), &ncomm, comments.data(), 4800);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(withNuls, encoded + "    ") << "three trailing NULs become blanks";

    // Room for one slot and a bit: the second comment is skipped, nothing
    // beyond the buffer is written.
    std::vector<char> small(150, '#');
    small.resize(200, '@');
    raw.getdata(pts.data(), &n, padded.data(), int32_t(padded.size()), &ncomm, small.data(), 150);
    EXPECT_EQ(ncomm, 1);
    EXPECT_EQ(QByteArray(small.data(), 96), QByteArray("first comment").leftJustified(96));
    EXPECT_EQ(QByteArray(small.data() + 96, 54), QByteArray(54, '#'));
    EXPECT_EQ(QByteArray(small.data() + 150, 50), QByteArray(50, '@'));

    EXPECT_EQ(pts[3], -1.0f) << "points after n are not touched";
    raw.getdata(pts.data(), &n, padded.data(), 0, &ncomm, comments.data(), 4800);
    EXPECT_EQ(n, 0);
}
