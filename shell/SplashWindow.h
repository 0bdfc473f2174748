// Splash1: the window shown while the program starts.
#pragma once

#include <QWidget>

class SplashWindow : public QWidget
{
    Q_OBJECT

public:
    // Places itself a quarter of the free screen from the left and top.
    explicit SplashWindow(const QSize &screen);
};
