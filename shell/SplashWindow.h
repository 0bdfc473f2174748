// SPDX-License-Identifier: GPL-3.0-or-later
// Splash1: the window shown while the program starts.
#pragma once

#include <QWidget>

class SplashWindow : public QWidget
{
    Q_OBJECT

public:
    // Places itself a quarter of the free screen from the left and top,
    // inside `available` (empty: anywhere).
    explicit SplashWindow(const QSize &screen, const QRect &available = QRect());

    // Mapped, exposed and painted at least once: what the user sees is the
    // splash, not an empty frame.
    bool isPainted() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_painted = false;
};
