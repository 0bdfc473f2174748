// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/TidyAxis.h"

#include <QChart>
#include <QFontMetricsF>

namespace
{

// The room Qt Charts leaves on each side of a label, and a little more for
// the rich text it draws labels with.
constexpr double LabelPadding = 4.0;
constexpr double TextMargin = 6.0;
// The length assumed before the chart is first laid out.
constexpr double UnlaidLength = 300.0;

} // namespace

TidyAxis::TidyAxis(QObject *parent)
    : QCategoryAxis(parent)
{
    setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    connect(this, &QValueAxis::rangeChanged, this, &TidyAxis::relabel);
}

void TidyAxis::addTo(QChart *chart, Qt::Alignment alignment)
{
    m_horizontal = alignment == Qt::AlignBottom || alignment == Qt::AlignTop;
    chart->addAxis(this, alignment);
    connect(chart, &QChart::plotAreaChanged, this, [this](const QRectF &area) {
        const double length = m_horizontal ? area.width() : area.height();
        const double across = m_horizontal ? area.height() : area.width();
        if (length == m_length && across == m_across)
            return;
        m_length = length;
        m_across = across;
        showTitleIfItFits();
        relabel();
    });
    const QRectF area = chart->plotArea();
    m_length = m_horizontal ? area.width() : area.height();
    m_across = m_horizontal ? area.height() : area.width();
    showTitleIfItFits();
    relabel();
}

void TidyAxis::showTitleIfItFits()
{
    // Qt Charts would cut a title longer than the plot area to "...", and on
    // a short plot the title of the radius leaves no room for the numbers:
    // the numbers matter more.
    if (m_length <= 1.0)
        return;
    const QFontMetricsF title(titleFont());
    bool fits = title.horizontalAdvance(titleText()) + 2 * TextMargin <= m_length;
    if (m_horizontal) {
        // Shown again only once the plot would stay tall enough with it.
        const double shortest = 3.0 * QFontMetricsF(labelsFont()).height() + 4 * TextMargin;
        const double across = isTitleVisible() ? m_across : m_across - title.height() - TextMargin;
        fits = fits && across >= shortest;
    }
    if (fits != isTitleVisible())
        setTitleVisible(fits);
}

QStringList TidyAxis::tickTexts() const
{
    QStringList texts;
    for (int i = 0; i < m_ticks.count; ++i)
        texts << m_ticks.text(i);
    return texts;
}

void TidyAxis::relabel()
{
    const QFontMetricsF metrics(labelsFont());
    const bool horizontal = m_horizontal;
    const auto extent = [&metrics, horizontal](const QString &text) {
        return (horizontal ? metrics.horizontalAdvance(text) : metrics.height()) + TextMargin;
    };
    const AxisTicks ticks = FittingTicks(
        min(), max(), m_length > 1.0 ? m_length : UnlaidLength, extent, LabelPadding);
    const bool same = ticks.count == m_ticks.count && ticks.first == m_ticks.first
        && ticks.mantissa == m_ticks.mantissa && ticks.exponent == m_ticks.exponent;
    if (same && m_labelledFrom == min() && m_labelledTo == max())
        return;
    m_ticks = ticks;
    m_labelledFrom = min();
    m_labelledTo = max();
    for (const QString &label : categoriesLabels())
        remove(label);
    setStartValue(min());
    for (int i = 0; i < ticks.count; ++i)
        append(ticks.text(i), ticks.value(i));
}
