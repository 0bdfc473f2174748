// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/PlotOutput.h"

#include "base/Platform.h"
#include "core/FileReplace.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

int InitialPrinter(const QStringList &printers, const QString &defaultName)
{
    if (printers.isEmpty())
        return -1;
    const QString wanted = defaultName.trimmed();
    for (int k = 0; k < printers.size(); ++k)
        if (printers[k].trimmed() == wanted)
            return k;
    return 0;
}

QPageLayout::Orientation PictureOrientation(const QSize &picture)
{
    return picture.height() >= picture.width() ? QPageLayout::Portrait : QPageLayout::Landscape;
}

QRectF FittedPictureRect(const QSizeF &picture, const QSizeF &page)
{
    const double r = picture.width() / picture.height();
    const double q = page.width() / page.height();
    double w = 0;
    double h = 0;
    if (r < q) {
        h = page.height();
        w = h * r;
    } else {
        w = page.width();
        h = w / r;
    }
    w *= 0.8;
    h *= 0.8;
    const double left = std::max(0.0, (page.width() - w) / 2.0);
    const double top = std::max(0.0, (page.height() - h) / 2.0);
    return { left, top, w, h };
}

bool PrintPictureFitted(QPrinter &printer, const QSize &picture, const DrawPicture &draw)
{
    if (picture.isEmpty())
        return false;
    printer.setPageOrientation(PictureOrientation(picture));
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // The painter's origin is the printable area's corner, and width() and
    // height() measure that area, as the page's scale width and height do.
    const QRectF target
        = FittedPictureRect(QSizeF(picture), QSizeF(printer.width(), printer.height()));
    draw(painter, target);
    return painter.end() && printer.printerState() != QPrinter::Error;
}

namespace
{

// The wait cursor for as long as it lives, even when a printer throws.
class BusyCursor
{
public:
    explicit BusyCursor(Platform &platform)
        : m_platform(platform)
    {
        m_platform.setBusyCursor(true);
    }
    ~BusyCursor() { m_platform.setBusyCursor(false); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    Platform &m_platform;
};

// Makes WorkDir the current directory again when it goes, whatever the file
// dialog or the write did meanwhile.
class RestoreWorkDir
{
public:
    explicit RestoreWorkDir(const QString &workDir)
        : m_dir(workDir)
    {
    }
    ~RestoreWorkDir()
    {
        if (!m_dir.isEmpty())
            QDir::setCurrent(m_dir);
    }
    RestoreWorkDir(const RestoreWorkDir &) = delete;
    RestoreWorkDir &operator=(const RestoreWorkDir &) = delete;

private:
    QString m_dir;
};

// Writes `image` as BMP to `path`. Returns why it failed, or nothing.
QString writeBitmap(const QImage &image, const QString &path)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(image))
        return writer.errorString();
    return ReplaceFileContents(path, bytes);
}

} // namespace

void PrintPlot(
    Platform &platform, const QString &printerName, const QSize &picture, const DrawPicture &draw)
{
    bool printed = false;
    {
        const BusyCursor busy(platform);
        if (const std::unique_ptr<QPrinter> printer = platform.openPrinter(printerName)) {
            printer->setDocName(QStringLiteral("Sedora plot"));
            printed = PrintPictureFitted(*printer, picture, draw);
        }
    }
    // Paper that never comes out would otherwise be the only sign.
    if (!printed)
        platform.messageBox(
            QStringLiteral("The plot was not printed: the printer\n%1\ndid not accept the job.")
                .arg(printerName.trimmed()),
            QStringLiteral("Print"), MsgStyle::Exclamation);
}

void CopyPlotToClipboard(Platform &platform, const QImage &image)
{
    platform.setClipboardImage(image);
}

void SavePlotBitmap(Platform &platform, const QString &workDir, const QImage &image)
{
    const RestoreWorkDir restore(workDir);
    FileDialogSpec spec;
    spec.save = true;
    spec.title = QStringLiteral("To File (Bitmap)");
    spec.maxFileSize = 127;
    spec.filter = QStringLiteral("Bitmap | *.bmp");
    spec.flags = FileDialogFlag::OverwritePrompt;
    spec.defaultExt = QStringLiteral("bmp");
    const std::optional<QString> chosen = platform.fileDialog(spec);
    if (!chosen)
        return;
    const QString problem = writeBitmap(image, *chosen);
    if (problem.isEmpty())
        return;
    platform.messageBox(QStringLiteral("The plot was not saved to\n%1\n\n%2")
                            .arg(QDir::toNativeSeparators(*chosen), problem),
        QStringLiteral("Output File Error"), MsgStyle::Exclamation);
}

namespace
{

struct FormatInfo {
    const char *title;
    const char *filter;
    const char *extension;
};

FormatInfo infoOf(PlotFileFormat format)
{
    switch (format) {
    case PlotFileFormat::Svg:
        return { "To File (SVG)", "SVG drawing | *.svg", "svg" };
    case PlotFileFormat::Pdf:
        return { "To File (PDF)", "PDF document | *.pdf", "pdf" };
    case PlotFileFormat::Png:
        break;
    }
    return { "To File (PNG)", "PNG image | *.png", "png" };
}

// The picture as the bytes of the file, drawn into memory first so that a
// drawing that fails leaves no file behind.
QByteArray drawnBytes(PlotFileFormat format, const QSize &picture, const DrawPicture &draw,
    int dotsPerInch, QString &problem)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QRectF target(QPointF(0, 0), QSizeF(picture));
    switch (format) {
    case PlotFileFormat::Svg: {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(picture);
        svg.setViewBox(target);
        svg.setResolution(96);
        svg.setTitle(QStringLiteral("Sedora plot"));
        QPainter painter;
        if (!painter.begin(&svg)) {
            problem = QStringLiteral("The SVG drawing could not be started.");
            return {};
        }
        draw(painter, target);
        painter.end();
        break;
    }
    case PlotFileFormat::Pdf: {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(QStringLiteral("Sedora plot"));
        pdf.setCreator(QStringLiteral("Sedora"));
        pdf.setResolution(96);
        // One page the size of the picture, at 96 pixels to the inch.
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setPageSize(QPageSize(
            QSizeF(picture) * (72.0 / 96.0), QPageSize::Point, QString(), QPageSize::ExactMatch));
        QPainter painter;
        if (!painter.begin(&pdf)) {
            problem = QStringLiteral("The PDF document could not be started.");
            return {};
        }
        draw(painter, target);
        painter.end();
        break;
    }
    case PlotFileFormat::Png: {
        const double scale = dotsPerInch / 96.0;
        const QSize pixels(
            int(std::lround(picture.width() * scale)), int(std::lround(picture.height() * scale)));
        QImage image(pixels, QImage::Format_RGB32);
        if (image.isNull()) {
            problem = QStringLiteral("An image of %1 x %2 pixels is too large.")
                          .arg(pixels.width())
                          .arg(pixels.height());
            return {};
        }
        image.setDotsPerMeterX(int(std::lround(dotsPerInch / 0.0254)));
        image.setDotsPerMeterY(int(std::lround(dotsPerInch / 0.0254)));
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            draw(painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
        }
        QImageWriter writer(&buffer, "png");
        if (!writer.write(image)) {
            problem = writer.errorString();
            return {};
        }
        break;
    }
    }
    return bytes;
}

} // namespace

QString WritePlotFile(const QString &path, PlotFileFormat format, const QSize &picture,
    const DrawPicture &draw, int dotsPerInch)
{
    QString problem;
    const QByteArray bytes = drawnBytes(format, picture, draw, dotsPerInch, problem);
    if (!problem.isEmpty())
        return problem;
    return ReplaceFileContents(path, bytes);
}

void SavePlotFile(Platform &platform, const QString &workDir, PlotFileFormat format,
    const QSize &picture, const DrawPicture &draw, int dotsPerInch)
{
    const RestoreWorkDir restore(workDir);
    const FormatInfo info = infoOf(format);
    FileDialogSpec spec;
    spec.save = true;
    spec.title = QLatin1String(info.title);
    spec.filter = QLatin1String(info.filter);
    spec.flags = FileDialogFlag::OverwritePrompt;
    spec.defaultExt = QLatin1String(info.extension);
    const std::optional<QString> chosen = platform.fileDialog(spec);
    if (!chosen)
        return;
    const QString problem = WritePlotFile(*chosen, format, picture, draw, dotsPerInch);
    if (problem.isEmpty())
        return;
    platform.messageBox(QStringLiteral("The plot was not saved to\n%1\n\n%2")
                            .arg(QDir::toNativeSeparators(*chosen), problem),
        QStringLiteral("Output File Error"), MsgStyle::Exclamation);
}
