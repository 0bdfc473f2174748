// SPDX-License-Identifier: GPL-3.0-or-later
// The Copy menu's vector and PNG files: the same picture as the window, read
// back through other programs' renderers, with real text in SVG and PDF.
#include "support/EditorSupport.h"

#include "base/Platform.h"
#include "editor/PlotWindow.h"
#include "editor/ResolutionDialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QProcess>
#include <QSpinBox>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <optional>
#include <sys/resource.h>
#include <utility>
#include <vector>

namespace
{

bool run(const QString &program, const QStringList &arguments, QByteArray *out = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return false;
    if (out)
        *out = process.readAllStandardOutput();
    return true;
}

// How far two pictures of the plot differ: the mean difference of their
// grey levels on a coarse grid, 0 (same) to 255; a blank page is about 16
// from the plot. Renderers differ in
// antialiasing and font hinting, never in where things are.
double difference(const QImage &a, const QImage &b)
{
    const QSize grid(64, 64);
    const QImage x = a.convertToFormat(QImage::Format_Grayscale8)
                         .scaled(grid, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage y = b.convertToFormat(QImage::Format_Grayscale8)
                         .scaled(grid, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double sum = 0;
    for (int row = 0; row < grid.height(); ++row)
        for (int col = 0; col < grid.width(); ++col)
            sum += std::abs(qGray(x.pixel(col, row)) - qGray(y.pixel(col, row)));
    return sum / (grid.width() * grid.height());
}

struct Exported {
    Harness h;
    Exported() { h.choose(h.example(QStringLiteral("radius-scan.dat")), MenuEntry::GetNewData); }
    // Runs the editor, saves through `format`'s entry to `name` in the test
    // folder and gives the window's own picture.
    QImage save(PlotFileFormat format, const std::optional<QString> &name, int dpi = 0)
    {
        QImage window;
        runEditor(h, [&](PlotWindow &w) {
            window = w.plotImage();
            h.platform.fileAnswers.push_back(
                name ? std::optional<QString>(h.folder.path(*name)) : std::nullopt);
            if (format == PlotFileFormat::Png) {
                h.platform.modalActions.push_back([dpi](QDialog &dialog) {
                    auto &ask = dynamic_cast<ResolutionDialog &>(dialog);
                    EXPECT_EQ(ask.resolutionBox()->value(), ResolutionDialog::Default);
                    ask.resolutionBox()->setValue(dpi);
                    ask.accept();
                });
            }
            w.fileEntry(format)->trigger();
        });
        return window;
    }
};

// Pixels of a blue marker around `centre` (pixels) that lie outside the plot
// box and its two-pixel frame: where a marker cut at the box has none.
int blueOutsideTheBox(const QImage &image, QPointF centre, double radius, const QRectF &box)
{
    const QRectF frame = box.adjusted(-2, -2, 2, 2);
    int count = 0;
    for (int y = int(centre.y() - radius - 3); y <= int(centre.y() + radius + 3); ++y)
        for (int x = int(centre.x() - radius - 3); x <= int(centre.x() + radius + 3); ++x) {
            if (frame.contains(QPointF(x + 0.5, y + 0.5)) || !image.rect().contains(x, y))
                continue;
            const QColor c = image.pixelColor(x, y);
            count += c.blue() - std::max(c.red(), c.green()) > 60 ? 1 : 0;
        }
    return count;
}

// The four files of the Copy menu: the bitmap and the three of another
// format, each with the start its bytes must have.
struct FileKind {
    const char *name;
    std::optional<PlotFileFormat> format; // nothing: the bitmap
    QByteArray magic;
};
const FileKind fileKinds[] = {
    { "plot.bmp", std::nullopt, "BM" },
    { "plot.svg", PlotFileFormat::Svg, "<?xml" },
    { "plot.pdf", PlotFileFormat::Pdf, "%PDF" },
    { "plot.png", PlotFileFormat::Png, "\x89PNG" },
};

// Saves the open editor's plot through the entry of `kind` to `path`.
void saveAs(Harness &h, PlotWindow &w, const FileKind &kind, const QString &path)
{
    h.platform.fileAnswers.push_back(path);
    if (QFileInfo::exists(path))
        h.platform.messageAnswers.push_back(MsgAnswer::Yes); // replace it
    if (!kind.format) {
        w.bitmapEntry()->trigger();
        return;
    }
    if (*kind.format == PlotFileFormat::Png) {
        h.platform.modalActions.push_back([](QDialog &dialog) { dialog.accept(); });
    }
    w.fileEntry(*kind.format)->trigger();
}

} // namespace

TEST(PlotExport, TheCopyMenuEndsWithTheThreeFiles)
{
    Harness h;
    setDataSet(
        *h.state, { { 6.0f, 0.1f, 100.0f }, { 6.5f, 0.5f, 100.0f }, { 7.0f, 0.9f, 100.0f } });
    runEditor(h, [&](PlotWindow &w) {
        QStringList entries;
        const QMenu *copy = w.findChild<QMenu *>(QStringLiteral("Copyit"));
        ASSERT_TRUE(copy);
        for (const QAction *action : copy->actions())
            entries << action->objectName() + QLatin1Char('=') + action->text();
        EXPECT_EQ(entries,
            (QStringList { "ClipPrn=To Clipboard", "SaveBMP=To File (Bitmap)",
                "SaveSVG=To File (SVG)", "SavePDF=To File (PDF)", "SavePNG=To File (PNG)" }));
    });
}

TEST(PlotExport, SvgAndPdfShowTheWindowsPictureWithRealText)
{
    for (const char *tool : { "rsvg-convert", "pdftoppm", "pdftotext" })
        ASSERT_FALSE(QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            << tool << " is needed: run scripts/setup";
    Exported svg;
    const QImage window = svg.save(PlotFileFormat::Svg, QStringLiteral("plot"));
    const QString svgFile = svg.h.folder.path(QStringLiteral("plot.svg"));
    const QByteArray svgText = readFileBytes(svgFile);
    EXPECT_TRUE(svgText.contains("<svg")) << "a default extension of .svg";
    EXPECT_TRUE(svgText.contains(">Concentration<")) << "the axis title as text";
    EXPECT_FALSE(svgText.contains("<image")) << "markers as vectors, not pictures";
    const QString back = svg.h.folder.path(QStringLiteral("svg.png"));
    ASSERT_TRUE(run(QStringLiteral("rsvg-convert"),
        { QStringLiteral("-w"), QString::number(window.width()), QStringLiteral("-h"),
            QString::number(window.height()), QStringLiteral("-o"), back, svgFile }));
    EXPECT_LT(difference(QImage(back), window), 4.0);

    Exported pdf;
    pdf.save(PlotFileFormat::Pdf, QStringLiteral("plot.pdf"));
    const QString pdfFile = pdf.h.folder.path(QStringLiteral("plot.pdf"));
    EXPECT_TRUE(readFileBytes(pdfFile).startsWith("%PDF"));
    QByteArray text;
    ASSERT_TRUE(run(QStringLiteral("pdftotext"), { pdfFile, QStringLiteral("-") }, &text));
    EXPECT_TRUE(text.contains("Concentration")) << text.constData();
    EXPECT_TRUE(text.contains("Radius (cm)")) << text.constData();
    // One page the size of the picture: at 96 dpi it is the window's pixels.
    ASSERT_TRUE(run(QStringLiteral("pdftoppm"),
        { QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-png"),
            QStringLiteral("-singlefile"), pdfFile, pdf.h.folder.path(QStringLiteral("page")) }));
    const QImage page(pdf.h.folder.path(QStringLiteral("page.png")));
    EXPECT_NEAR(page.width(), window.width(), 1);
    EXPECT_NEAR(page.height(), window.height(), 1);
    EXPECT_LT(difference(page, window), 4.0);
}

TEST(PlotExport, PngAtTheChosenResolution)
{
    Exported png;
    const QImage window = png.save(PlotFileFormat::Png, QStringLiteral("plot"), 192);
    const QImage saved(png.h.folder.path(QStringLiteral("plot.png")), "PNG");
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), window.size() * 2);
    EXPECT_NEAR(saved.dotsPerMeterX() * 0.0254, 192, 1);
    EXPECT_LT(difference(saved, window), 4.0);
}

TEST(PlotExport, CancelIsSilentAFailureIsToldAndTheWorkingFolderComesBack)
{
    Exported cancelled;
    cancelled.save(PlotFileFormat::Svg, std::nullopt);
    EXPECT_TRUE(cancelled.h.platform.messages.empty());
    EXPECT_EQ(QFileInfo(QDir::currentPath()).canonicalFilePath(),
        QFileInfo(cancelled.h.state->WorkDir).canonicalFilePath());

    Exported failed;
    failed.save(PlotFileFormat::Pdf, QStringLiteral("missing/plot.pdf"));
    ASSERT_EQ(failed.h.platform.messages.size(), 1u);
    EXPECT_EQ(failed.h.platform.messages[0].title, QStringLiteral("Output File Error"));
    EXPECT_TRUE(failed.h.platform.messages[0].text.startsWith(
        QStringLiteral("The plot was not saved to\n")));
    EXPECT_FALSE(QFileInfo::exists(failed.h.folder.path(QStringLiteral("missing"))));
    EXPECT_EQ(QFileInfo(QDir::currentPath()).canonicalFilePath(),
        QFileInfo(failed.h.state->WorkDir).canonicalFilePath());
}

TEST(PlotExport, PointsOnTheBoxEdgeAreDrawnWholeInEveryPicture)
{
    for (const char *tool : { "rsvg-convert", "pdftoppm" })
        ASSERT_FALSE(QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            << tool << " is needed: run scripts/setup";
    Harness h;
    // Both axes run from 1 to 9: point 1 lies on the corner, 2 just inside
    // the left edge, 3 on the bottom edge.
    setDataSet(*h.state,
        { { 1.0f, 1.0f }, { 1.02f, 4.0f }, { 3.0f, 1.0f }, { 4.0f, 4.0f }, { 5.0f, 8.0f },
            { 6.0f, 3.0f }, { 7.0f, 5.0f }, { 8.0f, 6.0f } });
    h.state->GoodRed = 0;
    h.state->GoodGreen = 0;
    h.state->GoodBlue = 255;
    QImage window;
    std::vector<QPointF> centres;
    double radius = 0;
    QRectF box;
    runEditor(h, [&](PlotWindow &w) {
        const PlotGeometry &g = *w.canvas()->plot();
        ASSERT_EQ(g.x.start, 1.0f);
        ASSERT_EQ(g.y.start, 1.0f);
        EXPECT_EQ(g.goodMarkers.size(), 8u) << "every point in the box or on its edge";
        const SurfaceMap surface = w.canvas()->surfaceMap();
        for (int i = 1; i <= 3; ++i)
            centres.push_back(surface.toPixel(plotPositionOf(w, i)));
        radius = g.markerRadius * surface.pixelsPerUnitX();
        box = QRectF(surface.toPixel({ 0, 100 }), surface.toPixel({ 100, 0 }));
        window = w.plotImage();
        w.clipboardEntry()->trigger();
        for (const auto &[format, name] : { std::pair(PlotFileFormat::Svg, "edge.svg"),
                 std::pair(PlotFileFormat::Pdf, "edge.pdf"),
                 std::pair(PlotFileFormat::Png, "edge.png") }) {
            h.platform.fileAnswers.push_back(h.folder.path(QLatin1String(name)));
            if (format == PlotFileFormat::Png) {
                h.platform.modalActions.push_back([](QDialog &dialog) {
                    auto &ask = dynamic_cast<ResolutionDialog &>(dialog);
                    ask.resolutionBox()->setValue(96);
                    ask.accept();
                });
            }
            w.fileEntry(format)->trigger();
        }
    });
    ASSERT_TRUE(run(QStringLiteral("rsvg-convert"),
        { QStringLiteral("-w"), QString::number(window.width()), QStringLiteral("-h"),
            QString::number(window.height()), QStringLiteral("-o"),
            h.folder.path(QStringLiteral("svg.png")), h.folder.path(QStringLiteral("edge.svg")) }));
    ASSERT_TRUE(run(QStringLiteral("pdftoppm"),
        { QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-png"),
            QStringLiteral("-singlefile"), h.folder.path(QStringLiteral("edge.pdf")),
            h.folder.path(QStringLiteral("pdf")) }));
    const struct {
        const char *name;
        QImage image;
    } pictures[] = {
        { "window", window },
        { "clipboard", h.platform.clipboard },
        { "PNG file", QImage(h.folder.path(QStringLiteral("edge.png"))) },
        { "SVG file", QImage(h.folder.path(QStringLiteral("svg.png"))) },
        { "PDF file", QImage(h.folder.path(QStringLiteral("pdf.png"))) },
    };
    for (const auto &picture : pictures) {
        SCOPED_TRACE(picture.name);
        // Files may differ from the window by a pixel of rounding.
        ASSERT_NEAR(picture.image.width(), window.width(), 1);
        const double scale = double(picture.image.width()) / window.width();
        const QRectF scaled(box.topLeft() * scale, box.bottomRight() * scale);
        for (size_t k = 0; k < centres.size(); ++k)
            EXPECT_GT(
                blueOutsideTheBox(picture.image, centres[k] * scale, radius * scale, scaled), 3)
                << "point " << k + 1 << " is cut at the box";
    }
    EXPECT_TRUE(h.platform.messages.empty());
}

TEST(PlotExport, AFullDiskIsToldWithTheSystemsReason)
{
    std::signal(SIGXFSZ, SIG_IGN);
    for (const FileKind &kind : fileKinds) {
        SCOPED_TRACE(kind.name);
        Harness h;
        setDataSet(*h.state, diagonalPoints());
        runEditor(h, [&](PlotWindow &w) {
            // The file may grow to 100 bytes only.
            rlimit saved {};
            getrlimit(RLIMIT_FSIZE, &saved);
            rlimit small = saved;
            small.rlim_cur = 100;
            setrlimit(RLIMIT_FSIZE, &small);
            saveAs(h, w, kind, h.folder.path(QLatin1String(kind.name)));
            setrlimit(RLIMIT_FSIZE, &saved);
        });
        ASSERT_FALSE(h.platform.messages.empty());
        const RecordedMessage &told = h.platform.messages.back();
        EXPECT_EQ(told.title, QStringLiteral("Output File Error"));
        EXPECT_EQ(told.text,
            QStringLiteral("The plot was not saved to\n%1\n\n%2")
                .arg(QDir::toNativeSeparators(h.folder.path(QLatin1String(kind.name))),
                    QString::fromLocal8Bit(std::strerror(EFBIG))));
        EXPECT_FALSE(QFileInfo::exists(h.folder.path(QLatin1String(kind.name))));
    }
}

TEST(PlotExport, InAFolderThatRefusesNewFilesAnExistingFileIsWrittenInPlace)
{
    for (const FileKind &kind : fileKinds) {
        SCOPED_TRACE(kind.name);
        Harness h;
        setDataSet(*h.state, diagonalPoints());
        const QString existing = LockedFolderWith(h.folder, QLatin1String(kind.name), "old");
        bool bound = true;
        runEditor(h, [&](PlotWindow &w) {
            const PermissionsBind bind;
            bound = bind.active();
            if (bound)
                saveAs(h, w, kind, existing);
        });
        Unlock(existing);
        if (!bound)
            GTEST_SKIP() << "file permissions cannot be made to bind here";
        for (const RecordedMessage &m : h.platform.messages)
            EXPECT_NE(m.title, QStringLiteral("Output File Error")) << m.text.toStdString();
        EXPECT_TRUE(readFileBytes(existing).startsWith(kind.magic));
        EXPECT_EQ(QDir(QFileInfo(existing).absolutePath()).entryList(QDir::Files),
            QStringList { QLatin1String(kind.name) });
    }
}
