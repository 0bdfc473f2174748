// SPDX-License-Identifier: GPL-3.0-or-later
// The plot leaves the editor three ways: on paper, on the clipboard and in a
// bitmap file. The page layout of a printout is plain arithmetic here
// (orientation from the picture, fitted by the aspect ratios, 80 % and
// centred); the plot itself is drawn onto the page by RenderPlot at the
// printer's own resolution, so the paper is as sharp as the printer allows.
#pragma once

#include <QImage>
#include <QPageLayout>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <functional>

class Platform;
class QPainter;
class QPrinter;

// The printer that is current when the editor opens, as an index into
// `printers`: the first whose name equals `defaultName`, blanks around
// either ignored; otherwise the first printer; -1 when there is none.
int InitialPrinter(const QStringList &printers, const QString &defaultName);

// Portrait for a picture at least as tall as it is wide, else landscape.
QPageLayout::Orientation PictureOrientation(const QSize &picture);

// Where a picture of `picture`'s proportions goes on a printable area of
// `page`: scaled to fill the page's limiting dimension, reduced to 80 % and
// centred, with no offset below 0. Same units as `page`.
QRectF FittedPictureRect(const QSizeF &picture, const QSizeF &page);

// Draws a picture into the rectangle it is given, in device units.
using DrawPicture = std::function<void(QPainter &painter, const QRectF &target)>;

// One page on `printer` with a picture of `picture` pixels: the orientation
// set before the page is measured, the picture drawn by `draw` into its
// fitted rectangle, and the document ended so that the page is printed.
// Returns false when the printer would not take the job.
bool PrintPictureFitted(QPrinter &printer, const QSize &picture, const DrawPicture &draw);

// "Print": the picture on the printer named `printerName`, with the wait
// cursor meanwhile. A printer that cannot be opened or refuses the job is
// reported; nothing is printed then.
void PrintPlot(
    Platform &platform, const QString &printerName, const QSize &picture, const DrawPicture &draw);

// "To Clipboard": the image replaces what the clipboard held.
void CopyPlotToClipboard(Platform &platform, const QImage &image);

// "To File (Bitmap)": asks for a file name and writes the image there as a
// BMP file. A file that cannot be written is reported and an existing one is
// left as it was; Cancel is silent. `workDir` is the current directory again
// afterwards in every case.
void SavePlotBitmap(Platform &platform, const QString &workDir, const QImage &image);

// The three further file formats of the Copy menu. Each is drawn afresh by
// `draw`, the routine that draws the window and the printer: SVG and PDF as
// vectors with real text, PNG at `dotsPerInch` (the picture's pixels are at
// 96). They behave like the bitmap entry: a default extension, a failure
// reported, Cancel silent, `workDir` current again afterwards.
enum class PlotFileFormat { Svg, Pdf, Png };
void SavePlotFile(Platform &platform, const QString &workDir, PlotFileFormat format,
    const QSize &picture, const DrawPicture &draw, int dotsPerInch = 96);

// Writes the picture to `path` in `format`; an existing file is replaced as
// ReplaceFileContents does. Returns why it failed, or nothing.
QString WritePlotFile(const QString &path, PlotFileFormat format, const QSize &picture,
    const DrawPicture &draw, int dotsPerInch);
