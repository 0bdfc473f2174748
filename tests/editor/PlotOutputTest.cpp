// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/EditorSupport.h"

#include "base/Platform.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace
{

// What a PDF page shows when rasterised at 72 dpi (one pixel per point):
// the page's size and the bounding box of everything that is not paper.
struct PrintedPage {
    int pages = 0;
    QSizeF size; // points
    QRect ink; // pixels = points
    QImage image;
};

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// Reads a printed PDF back through poppler's tools.
std::optional<PrintedPage> readPdf(const QString &pdf)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty()) {
        ADD_FAILURE() << "pdfinfo and pdftoppm (poppler-utils) are needed: run scripts/setup";
        return std::nullopt;
    }
    PrintedPage page;
    const QString info = run(QStringLiteral("pdfinfo"), { pdf });
    const QRegularExpressionMatch pages
        = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    const QRegularExpressionMatch size
        = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(info);
    if (!pages.hasMatch() || !size.hasMatch()) {
        ADD_FAILURE() << "pdfinfo could not read " << pdf.toStdString() << ": "
                      << info.toStdString();
        return std::nullopt;
    }
    page.pages = pages.captured(1).toInt();
    page.size = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble());
    const QString png = pdf + QStringLiteral("-page");
    run(QStringLiteral("pdftoppm"),
        { QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-png"),
            QStringLiteral("-singlefile"), pdf, png });
    page.image = QImage(png + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
    if (page.image.isNull()) {
        ADD_FAILURE() << "pdftoppm could not render " << pdf.toStdString();
        return std::nullopt;
    }
    int left = page.image.width(), top = page.image.height(), right = -1, bottom = -1;
    for (int y = 0; y < page.image.height(); ++y)
        for (int x = 0; x < page.image.width(); ++x) {
            const QColor c = page.image.pixelColor(x, y);
            if (std::min({ c.red(), c.green(), c.blue() }) < 250) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    page.ink = QRect(QPoint(left, top), QPoint(right, bottom));
    return page;
}

bool near(const QColor &a, const QColor &b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

int countNear(const QImage &image, const QColor &colour, int tolerance)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += near(image.pixelColor(x, y), colour, tolerance) ? 1 : 0;
    return n;
}

// Twelve points, the fourth and the ninth removed.
std::vector<TestPoint> scan()
{
    std::vector<TestPoint> points;
    for (int i = 1; i <= 12; ++i)
        points.push_back(
            { 5.9f + 0.1f * float(i), 0.1f * float(i), i == 4 || i == 9 ? -100.0f : 100.0f });
    return points;
}

QStringList captions(const PlotWindow &window)
{
    QStringList texts;
    for (const QAction *item : window.printerItems())
        texts << item->text();
    return texts;
}

QList<int> checkedItems(const PlotWindow &window)
{
    QList<int> checked;
    for (const QAction *item : window.printerItems())
        if (item->isChecked())
            checked << item->property("Index").toInt();
    return checked;
}

// The canvas made `size` by resizing the window around it.
void resizeCanvas(PlotWindow &w, QSize size)
{
    for (int round = 0; round < 3 && w.canvas()->size() != size; ++round) {
        w.resize(w.size() + size - w.canvas()->size());
        QCoreApplication::processEvents();
    }
    w.Form_Paint();
}

bool sameDir(const QString &a, const QString &b)
{
    return QDir(a).canonicalPath() == QDir(b).canonicalPath();
}

} // namespace

TEST(PlotOutput, PrinterMenuChecksTheDefaultOrTheFirst)
{
    const struct {
        const char *name;
        QStringList printers;
        QString defaultName;
        int checked; // 1-based; 0: no printer
    } rows[] = {
        { "the default among several", { "Office", "Lab Laser", "Plotter" }, "Lab Laser", 2 },
        { "blanks around the names are ignored", { "Office", " Plotter  " }, "  Plotter", 2 },
        { "a default that matches none", { "Office", "Plotter" }, "Gone", 1 },
        { "no default at all", { "Office", "Plotter" }, "", 1 },
        { "letter case counts", { "office", "Office" }, "Office", 2 },
        { "one printer", { "Only" }, "Only", 1 },
        { "no printer installed", {}, "Office", 0 },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Harness h;
        h.platform.printers = row.printers;
        h.state->PrinterName = row.defaultName;
        PlotWindow window(h.platform, h.numlib, PlotSessionFrom(*h.state));
        EXPECT_EQ(captions(window), row.printers);
        EXPECT_EQ(window.printerMenu()->menuAction()->isEnabled(), row.checked != 0);
        if (row.checked == 0) {
            EXPECT_TRUE(window.currentPrinter().isEmpty());
            continue;
        }
        EXPECT_EQ(checkedItems(window), QList<int> { row.checked });
        EXPECT_EQ(window.currentPrinter(), row.printers[row.checked - 1]);
        // The printers sit between the two separators, above "Print".
        const QList<QAction *> menu = window.printerMenu()->actions();
        ASSERT_EQ(menu.size(), row.printers.size() + 3);
        EXPECT_TRUE(menu.first()->isSeparator());
        EXPECT_EQ(menu.first()->objectName(), QStringLiteral("PrnArray"));
        EXPECT_EQ(menu[menu.size() - 2]->objectName(), QStringLiteral("Dummy0"));
        EXPECT_EQ(menu.last(), window.printEntry());
        for (int k = 1; k <= row.printers.size(); ++k) {
            EXPECT_EQ(menu[k]->objectName(), QStringLiteral("PrnArray"));
            EXPECT_EQ(menu[k]->property("Index").toInt(), k);
        }
    }
}

TEST(PlotOutput, ChoosingAPrinterMovesTheCheckAndTheNextPrint)
{
    Harness h;
    h.platform.printers = { "Office", "Lab & Co", "Plotter" };
    h.state->PrinterName = "Office";
    h.platform.printFolder = h.folder.root();
    setDataSet(*h.state, scan());
    runEditor(h, [&](PlotWindow &w) {
        // An ampersand in a name is shown as itself.
        EXPECT_EQ(w.printerItems()[1]->text(), QStringLiteral("Lab && Co"));
        // The menu opens with its template separator, and the current printer
        // carries a check mark: no exclusive group, which would draw a dot.
        EXPECT_FALSE(w.printerMenu()->separatorsCollapsible());
        for (const QAction *item : w.printerItems())
            EXPECT_EQ(item->actionGroup(), nullptr);
        w.printerItems()[2]->trigger();
        EXPECT_EQ(checkedItems(w), QList<int> { 3 });
        w.printEntry()->trigger();
        w.printerItems()[1]->trigger();
        w.printerItems()[1]->trigger(); // choosing the current one keeps it
        EXPECT_EQ(checkedItems(w), QList<int> { 2 });
        w.printEntry()->trigger();
    });
    ASSERT_EQ(h.platform.printJobs.size(), 2u);
    EXPECT_EQ(h.platform.printJobs[0].printer, QStringLiteral("Plotter"));
    EXPECT_EQ(h.platform.printJobs[1].printer, QStringLiteral("Lab & Co"));
    for (const RecordedPrintJob &job : h.platform.printJobs)
        EXPECT_TRUE(readFileBytes(job.pdf).startsWith("%PDF")) << job.pdf.toStdString();
    EXPECT_TRUE(h.platform.messages.empty());
    // The wait cursor is up exactly while the printer works.
    const QStringList busy
        = h.platform.log.filter(QRegularExpression(QStringLiteral("^(busy|printer) ")));
    EXPECT_EQ(busy,
        (QStringList {
            "busy 1", "printer Plotter", "busy 0", "busy 1", "printer Lab & Co", "busy 0" }));
}

TEST(PlotOutput, PrintedPageIsOrientedFittedReducedAndCentred)
{
    const struct {
        const char *name;
        QSize canvas;
        QMarginsF margins; // mm: left, top, right, bottom
        bool portrait;
    } rows[] = {
        { "a wide plot prints landscape", { 900, 420 }, {}, false },
        { "a tall plot prints portrait", { 420, 700 }, {}, true },
        { "a square plot prints portrait", { 500, 500 }, {}, true },
        { "a nearly square wide plot prints landscape", { 501, 500 }, {}, false },
        { "uneven margins: centred in the printable area", { 900, 420 }, { 20, 10, 5, 30 }, false },
        { "a plot taller than the page's proportions", { 300, 900 }, { 12, 12, 12, 12 }, true },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Harness h;
        h.platform.printers = { "PDF" };
        h.platform.printFolder = h.folder.root();
        h.platform.printMargins = row.margins;
        h.state->GoodRed = 0;
        h.state->GoodGreen = 0;
        h.state->GoodBlue = 255;
        setDataSet(*h.state, scan());
        QSize canvas;
        runEditor(h, [&](PlotWindow &w) {
            resizeCanvas(w, row.canvas);
            canvas = w.canvas()->plot()->setup.pixels.toSize();
            w.printEntry()->trigger();
        });
        ASSERT_EQ(canvas, row.canvas);
        ASSERT_EQ(h.platform.printJobs.size(), 1u);
        const std::optional<PrintedPage> page = readPdf(h.platform.printJobs[0].pdf);
        ASSERT_TRUE(page);
        EXPECT_EQ(page->pages, 1);
        // A4, turned as the plot is.
        const QSizeF a4 = row.portrait ? QSizeF(595.3, 841.9) : QSizeF(841.9, 595.3);
        EXPECT_NEAR(page->size.width(), a4.width(), 0.5);
        EXPECT_NEAR(page->size.height(), a4.height(), 0.5);

        const double mm = 72.0 / 25.4;
        const QRectF printable = QRectF(QPointF(0, 0), a4)
                                     .adjusted(row.margins.left() * mm, row.margins.top() * mm,
                                         -row.margins.right() * mm, -row.margins.bottom() * mm);
        const double scale = 0.8
            * std::min(printable.width() / canvas.width(), printable.height() / canvas.height());
        QRectF expected(0, 0, canvas.width() * scale, canvas.height() * scale);
        expected.moveCenter(printable.center());
        EXPECT_NEAR(page->ink.left(), expected.left(), 2.0);
        EXPECT_NEAR(page->ink.top(), expected.top(), 2.0);
        EXPECT_NEAR(page->ink.right() + 1, expected.right(), 2.0);
        EXPECT_NEAR(page->ink.bottom() + 1, expected.bottom(), 2.0);
        // The plot itself, drawn for paper: its good markers in their colour.
        EXPECT_GT(countNear(page->image, QColor(0, 0, 255), 24), 10);
        EXPECT_TRUE(h.platform.messages.empty());
    }
}

TEST(PlotOutput, APrinterThatRefusesTheJobIsReported)
{
    Harness h;
    h.platform.printers = { "Jammed" };
    h.platform.failingPrinters = { "Jammed" };
    h.platform.printFolder = h.folder.root();
    setDataSet(*h.state, scan());
    runEditor(h, [&](PlotWindow &w) { w.printEntry()->trigger(); });
    ASSERT_EQ(h.platform.messages.size(), 1u);
    EXPECT_EQ(h.platform.messages[0].text,
        QStringLiteral("The plot was not printed: the printer\nJammed\ndid not accept the job."));
    EXPECT_EQ(h.platform.messages[0].title, QStringLiteral("Print"));
    EXPECT_EQ(h.platform.messages[0].style, MsgStyle::Exclamation);
    EXPECT_TRUE(h.platform.log.contains(QStringLiteral("busy 0")));
}

TEST(PlotOutput, ClipboardGetsThePlotAsDrawn)
{
    Harness h;
    setDataSet(*h.state, scan());
    h.state->GoodRed = 0;
    h.state->GoodGreen = 0;
    h.state->GoodBlue = 255;
    h.state->DelRed = 255;
    h.state->DelGreen = 128;
    h.state->DelBlue = 0;
    runEditor(h, [&](PlotWindow &w) {
        // A zoom box being dragged is not part of the picture.
        sendMouse(w, QEvent::MouseButtonPress, { 10, 10 });
        sendMouse(w, QEvent::MouseMove, { 60, 60 }, Qt::LeftButton);
        w.clipboardEntry()->trigger();
        const QImage &copied = h.platform.clipboard;
        ASSERT_EQ(copied.size(), w.canvas()->size());
        EXPECT_EQ(copied, w.plotImage());
        for (int i : { 1, 6, 12 })
            EXPECT_TRUE(nearColour(
                markerColourAt(w, copied, plotPositionOf(w, *h.state, i)), QColor(0, 0, 255)))
                << "point " << i;
        for (int i : { 4, 9 })
            EXPECT_TRUE(nearColour(
                markerColourAt(w, copied, plotPositionOf(w, *h.state, i)), QColor(255, 128, 0)))
                << "point " << i;
    });
}

TEST(PlotOutput, BitmapFileSavedOrNotAndWorkDirRestored)
{
    const struct {
        const char *name;
        std::optional<QString> answer; // relative to the test folder; nothing = Cancel
        QString written; // the file expected, or empty
        bool fails;
    } rows[] = {
        { "a name without extension gets .bmp", QString("out/plot"), "out/plot.bmp", false },
        { "a name with the extension", QString("out/second.bmp"), "out/second.bmp", false },
        { "an existing file is replaced", QString("out/old.bmp"), "out/old.bmp", false },
        { "cancel saves nothing and says nothing", std::nullopt, "", false },
        { "a folder that does not exist", QString("missing/plot.bmp"), "", true },
        { "a folder in the file's place", QString("out/taken.bmp"), "", true },
    };
    Harness h;
    h.choose(h.example(QStringLiteral("radius-scan.dat")), MenuEntry::GetNewData);
    ASSERT_FALSE(h.state->WorkDir.isEmpty());
    QDir(h.folder.root()).mkpath(QStringLiteral("out/taken.bmp"));
    h.folder.write(QStringLiteral("out/old.bmp"), "an old picture");
    runEditor(h, [&](PlotWindow &w) {
        const QImage drawn = w.plotImage().convertToFormat(QImage::Format_RGB32);
        for (const auto &row : rows) {
            SCOPED_TRACE(row.name);
            h.platform.messages.clear();
            h.platform.fileDialogs.clear();
            h.platform.fileAnswers.push_back(
                row.answer ? std::optional<QString>(h.folder.path(*row.answer)) : std::nullopt);
            w.bitmapEntry()->trigger();
            EXPECT_TRUE(sameDir(QDir::currentPath(), h.state->WorkDir));
            ASSERT_EQ(h.platform.fileDialogs.size(), 1u);
            const FileDialogSpec &spec = h.platform.fileDialogs[0];
            EXPECT_TRUE(spec.save);
            EXPECT_EQ(spec.filter, QStringLiteral("Bitmap | *.bmp"));
            EXPECT_EQ(spec.flags, FileDialogFlag::OverwritePrompt);
            EXPECT_EQ(spec.defaultExt, QStringLiteral("bmp"));
            EXPECT_TRUE(spec.initialName.isEmpty());
            EXPECT_EQ(spec.maxFileSize, 127);
            if (!row.written.isEmpty()) {
                const QString file = h.folder.path(row.written);
                EXPECT_TRUE(readFileBytes(file).startsWith("BM"));
                const QImage saved(file, "BMP");
                EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), drawn);
            }
            // Only a save that failed is reported.
            if (!row.fails) {
                for (const RecordedMessage &m : h.platform.messages)
                    EXPECT_NE(m.title, QStringLiteral("Output File Error"));
                continue;
            }
            ASSERT_FALSE(h.platform.messages.empty());
            const RecordedMessage &m = h.platform.messages.back();
            const QString chosen = QDir::toNativeSeparators(
                QFileInfo(h.folder.path(*row.answer)).absoluteFilePath());
            EXPECT_TRUE(
                m.text.startsWith(QStringLiteral("The plot was not saved to\n") + chosen + "\n\n"))
                << m.text.toStdString();
            EXPECT_GT(m.text.size(),
                QStringLiteral("The plot was not saved to\n\n\n").size() + chosen.size());
            EXPECT_EQ(m.title, QStringLiteral("Output File Error"));
            EXPECT_EQ(m.style, MsgStyle::Exclamation);
        }
    });
    EXPECT_FALSE(QFileInfo::exists(h.folder.path(QStringLiteral("out/plot"))));
    EXPECT_FALSE(QFileInfo::exists(h.folder.path(QStringLiteral("missing"))));
    EXPECT_TRUE(QFileInfo(h.folder.path(QStringLiteral("out/taken.bmp"))).isDir());
}
