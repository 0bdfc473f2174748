// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/WindowPlacement.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace
{

QMargins lastFrame;

void apply(QWidget &window, const QRect &available, const QRect &wanted, const QMargins &frame)
{
    QRect outer = available.isEmpty() ? wanted : FitInside(wanted, available);
    const bool fixed = window.minimumSize() == window.maximumSize();
    if (!fixed)
        window.resize(outer.size().shrunkBy(frame).expandedTo(QSize(1, 1)));
    else
        outer.setSize(window.size().grownBy(frame));
    if (!available.isEmpty())
        outer = FitInside(outer, available);
    // A top-level window's position is that of its frame.
    window.move(outer.topLeft());
}

// Places the window again once its own frame is known.
class Replacer : public QObject
{
public:
    Replacer(QWidget &window, const QRect &available,
        std::function<QRect(const QMargins &)> outerFor, QMargins used)
        : QObject(&window)
        , m_window(&window)
        , m_available(available)
        , m_outerFor(std::move(outerFor))
        , m_used(used)
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_window)
            return false;
        QWindow *handle = m_window->windowHandle();
        // Exposure is an event of the native window, which exists once shown.
        if (watched == m_window && event->type() == QEvent::Show && handle)
            handle->installEventFilter(this);
        if (watched == handle && event->type() == QEvent::Expose && handle->isExposed()) {
            const QMargins frame = handle->frameMargins();
            if (!frame.isNull()) {
                lastFrame = frame;
                if (frame != m_used)
                    apply(*m_window, m_available, m_outerFor(frame), frame);
            }
            handle->removeEventFilter(this);
            m_window->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
    QRect m_available;
    std::function<QRect(const QMargins &)> m_outerFor;
    QMargins m_used;
};

} // namespace

QRect FitInside(const QRect &outer, const QRect &available)
{
    QRect fitted(outer.topLeft(), outer.size().boundedTo(available.size()));
    fitted.moveLeft(
        std::clamp(fitted.left(), available.left(), available.right() + 1 - fitted.width()));
    fitted.moveTop(
        std::clamp(fitted.top(), available.top(), available.bottom() + 1 - fitted.height()));
    return fitted;
}

void PlaceByFrame(
    QWidget &window, const QRect &available, std::function<QRect(const QMargins &frame)> outerFor)
{
    const QMargins frame = lastFrame;
    apply(window, available, outerFor(frame), frame);
    new Replacer(window, available, std::move(outerFor), frame);
}

QMargins LastFrameMargins()
{
    return lastFrame;
}
