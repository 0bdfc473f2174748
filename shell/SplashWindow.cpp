// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/SplashWindow.h"

#include "base/Platform.h"
#include "base/WindowPlacement.h"
#include "shell/Version.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QVBoxLayout>
#include <QWindow>

#include <cmath>

namespace
{

// A sedimentation boundary: the picture beside the texts.
QPixmap boundaryPicture()
{
    QPixmap picture(96, 96);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(10, 86, 90, 86);
    painter.drawLine(10, 86, 10, 8);
    QPainterPath curve;
    for (int x = 12; x <= 88; ++x) {
        const double y = 80 - 60 / (1 + std::exp(-(x - 50) / 6.0));
        if (x == 12)
            curve.moveTo(x, y);
        else
            curve.lineTo(x, y);
    }
    painter.setPen(QPen(QColor(0, 127, 0), 3));
    painter.drawPath(curve);
    return picture;
}

} // namespace

SplashWindow::SplashWindow(const QSize &screen, const QRect &available)
{
    setObjectName(QStringLiteral("Splash1"));
    setWindowTitle(QStringLiteral("Sedora V") + Version::majorMinor());

    auto *picture = new QLabel;
    picture->setPixmap(boundaryPicture());
    picture->setAccessibleName(QStringLiteral("Sedora"));

    auto *texts = new QVBoxLayout;
    QFont title(QStringLiteral("Times New Roman"), 16, QFont::Bold);
    QFont body(QStringLiteral("Times New Roman"), 12);
    const QString lines[] = {
        QStringLiteral("Sedora V") + Version::majorMinor() + QStringLiteral("  for Win95 + WinNT"),
        QStringLiteral("Editing Program For Analytical"), QStringLiteral("Ultracentrifugation Data")
    };
    for (int i = 0; i < 3; ++i) {
        auto *label = new QLabel(lines[i]);
        label->setFont(i == 0 ? title : body);
        texts->addWidget(label);
    }

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(24);
    layout->addWidget(picture);
    layout->addLayout(texts);
    adjustSize();
    const QSize inner = size();
    PlaceByFrame(*this, available, [screen, inner](const QMargins &frame) {
        const QSize outer = inner.grownBy(frame);
        return QRect(QuarterPlacement(screen, outer), outer);
    });
}

bool SplashWindow::isPainted() const
{
    return m_painted && windowHandle() && windowHandle()->isExposed();
}

void SplashWindow::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    m_painted = true;
}
