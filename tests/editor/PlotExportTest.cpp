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

#include <cmath>

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
