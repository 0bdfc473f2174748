// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/NoiseDialog.h"

#include "base/Platform.h"
#include "core/NumberFormat.h"
#include "operations/NoiseLevel.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

namespace
{

constexpr int ClientWidth = 3300; // twips
constexpr int ClientHeight = 1700; // twips
constexpr int BelowMainTop = 120; // twips

} // namespace

NoiseDialog::NoiseDialog(float offered, Platform &platform, QWidget *mainWindow)
    : QDialog(mainWindow)
    , m_offered(offered)
    , m_platform(platform)
{
    setObjectName(QStringLiteral("AddIt"));
    setWindowTitle(QStringLiteral("Add Random Noise"));
    setFixedSize(TwipsToPixels(ClientWidth), TwipsToPixels(ClientHeight));

    m_label = new QLabel(QStringLiteral("Enter RMS Noise Level"), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setGeometry(TwipsToPixels(240, 180, 2820, 300));

    m_level = new QLineEdit(this);
    m_level->setObjectName(QStringLiteral("NoiseLevel"));
    m_level->setAccessibleName(m_label->text());
    m_level->setAlignment(Qt::AlignCenter);
    m_level->setGeometry(TwipsToPixels(840, 540, 1620, 360));
    m_label->setBuddy(m_level);
    m_level->installEventFilter(this);

    m_done = new QPushButton(QStringLiteral("&OK"), this);
    m_done->setObjectName(QStringLiteral("IsDone"));
    m_done->setDefault(true);
    m_done->setGeometry(TwipsToPixels(1230, 1080, 840, 372));
    connect(m_done, &QPushButton::clicked, this, &NoiseDialog::IsDone_Click);

    Form_Load(mainWindow);
}

void NoiseDialog::Form_Load(QWidget *mainWindow)
{
    showLevel();
    if (!mainWindow)
        return;
    // The frame is not known before the dialog is shown; with the same
    // decoration on both windows, centring the client areas centres the frames.
    const QRect main = mainWindow->frameGeometry();
    move(main.left() + int(std::nearbyint((mainWindow->width() - width()) / 2.0)),
        main.top() + TwipsToPixels(BelowMainTop));
}

void NoiseDialog::showLevel()
{
    m_level->setText(NumberFormat::text(m_offered, NumberFormat::Scientific5Signed));
}

void NoiseDialog::focusLevel()
{
    m_level->setFocus(Qt::OtherFocusReason);
    m_level->selectAll();
}

void NoiseDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    focusLevel();
}

bool NoiseDialog::event(QEvent *event)
{
    // Back from a message box or another window: ready for a new level.
    if (event->type() == QEvent::WindowActivate)
        focusLevel();
    return QDialog::event(event);
}

bool NoiseDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_level && event->type() == QEvent::FocusIn)
        m_level->selectAll();
    return QDialog::eventFilter(watched, event);
}

void NoiseDialog::IsDone_Click()
{
    const std::optional<float> level = ReadNoiseLevel(m_level->text());
    if (!level) {
        m_platform.messageBox(QStringLiteral("Illegal Value for RMS Noise."),
            QStringLiteral("Non-Numerical Entry!"), MsgStyle::Exclamation);
        showLevel();
        focusLevel();
        return;
    }
    m_offered = *level;
    accept();
}
