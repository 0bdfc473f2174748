#include "editor/PlotOutput.h"

#include "shell/Platform.h"

#include <QDir>
#include <QImageWriter>
#include <QPainter>
#include <QPrinter>
#include <QSaveFile>

#include <algorithm>

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

// Writes `image` as BMP to `path`; an existing file is replaced only by a
// complete new one. Returns why it failed, or nothing.
QString writeBitmap(const QImage &image, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QImageWriter writer(&file, "bmp");
    if (!writer.write(image)) {
        file.cancelWriting();
        return writer.errorString();
    }
    // flush() first: commit() alone lets a short write pass as success.
    if (!file.flush() || !file.commit())
        return file.errorString();
    return {};
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
