// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/TextView.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGlyphRun>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{

constexpr int TabStop = 8;

int cellAfter(int cell, char c)
{
    return c == '\t' ? (cell / TabStop + 1) * TabStop : cell + 1;
}

// What assistive tools see: read-only multi-line text with its selection.
class TextViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit TextViewAccessible(TextView *view)
        : QAccessibleWidget(view, QAccessible::EditableText)
    {
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.multiLine = true;
        s.selectableText = true;
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return view()->toPlainText();
        return QAccessibleWidget::text(t);
    }

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex != 0 || selectionCount() == 0)
            return;
        *startOffset = std::min(view()->anchorPosition(), view()->cursorPosition());
        *endOffset = std::max(view()->anchorPosition(), view()->cursorPosition());
    }
    int selectionCount() const override
    {
        return view()->anchorPosition() != view()->cursorPosition() ? 1 : 0;
    }
    void addSelection(int startOffset, int endOffset) override
    {
        view()->setSelection(startOffset, endOffset);
    }
    void removeSelection(int selectionIndex) override
    {
        if (selectionIndex == 0)
            view()->setSelection(view()->cursorPosition(), view()->cursorPosition());
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override
    {
        if (selectionIndex == 0)
            view()->setSelection(startOffset, endOffset);
    }
    int cursorPosition() const override { return view()->cursorPosition(); }
    void setCursorPosition(int position) override { view()->setSelection(position, position); }
    QString text(int startOffset, int endOffset) const override
    {
        return view()->textBetween(startOffset, endOffset);
    }
    int characterCount() const override { return view()->characterCount(); }
    QRect characterRect(int offset) const override
    {
        const QRect r = view()->characterRect(offset);
        return QRect(view()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return view()->positionAt(view()->viewport()->mapFromGlobal(point));
    }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        view()->ensureVisible(endIndex);
        view()->ensureVisible(startIndex);
    }
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return QString();
    }

private:
    TextView *view() const { return static_cast<TextView *>(widget()); }
};

QAccessibleInterface *TextViewAccessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("TextView") && object && object->isWidgetType())
        return new TextViewAccessible(static_cast<TextView *>(object));
    return nullptr;
}

} // namespace

TextView::TextView(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    static const bool accessible = (QAccessible::installFactory(TextViewAccessibleFactory), true);
    Q_UNUSED(accessible);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    updateMetrics();
    setText(QByteArray());
}

void TextView::setText(const QByteArray &text)
{
    m_text = text;
    m_starts.clear();
    m_ends.clear();
    m_positions.clear();
    m_longest = 0;
    const char *d = m_text.constData();
    const int n = int(m_text.size());
    // Files separated by tabs are rare: the others pay one quick scan.
    m_tabs = std::memchr(d, '\t', size_t(n)) != nullptr;
    int position = 0;
    const auto add = [&](int start, int end) {
        m_starts.push_back(start);
        m_ends.push_back(end);
        m_positions.push_back(position);
        position += end - start + 1;
        m_longest = std::max(m_longest, end - start);
    };
    int start = 0;
    for (;;) {
        const auto *lf = static_cast<const char *>(std::memchr(d + start, '\n', size_t(n - start)));
        const int lineEnd = lf ? int(lf - d) : n;
        // A CR ends a line of its own unless a LF follows it.
        int from = start;
        while (const auto *cr
            = static_cast<const char *>(std::memchr(d + from, '\r', size_t(lineEnd - from)))) {
            const int at = int(cr - d);
            if (lf && at == lineEnd - 1)
                break;
            add(from, at);
            from = at + 1;
        }
        add(from, lf && lineEnd > from && d[lineEnd - 1] == '\r' ? lineEnd - 1 : lineEnd);
        if (!lf)
            break;
        start = lineEnd + 1;
    }
    if (m_tabs) {
        for (int line = 0; line < lineCount(); ++line)
            m_longest = std::max(m_longest, cellOf(line, lineLength(line)));
    }
    m_marked.clear();
    m_anchor = m_cursor = 0;
    m_dragging = false;
    updateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::TextUpdated);
        QAccessible::updateAccessibility(&changed);
    }
}

QString TextView::toPlainText() const
{
    return textBetween(0, characterCount());
}

void TextView::setMarkedLines(const std::vector<int> &lines, const QColor &colour)
{
    m_marked.assign(m_starts.size(), false);
    for (int line : lines) {
        if (line >= 0 && line < lineCount())
            m_marked[size_t(line)] = true;
    }
    m_markColour = colour;
    viewport()->update();
}

void TextView::setMarkColour(const QColor &colour)
{
    m_markColour = colour;
    viewport()->update();
}

QColor TextView::lineColour(int line) const
{
    if (line >= 0 && size_t(line) < m_marked.size() && m_marked[size_t(line)])
        return m_markColour;
    return palette().color(QPalette::Text);
}

int TextView::characterCount() const
{
    return m_positions.back() + lineLength(lineCount() - 1);
}

TextView::Place TextView::placeOf(int position) const
{
    position = std::clamp(position, 0, characterCount());
    const auto after = std::upper_bound(m_positions.begin(), m_positions.end(), position);
    const int line = int(after - m_positions.begin()) - 1;
    return { line, position - m_positions[size_t(line)] };
}

int TextView::cellOf(int line, int column) const
{
    if (!m_tabs)
        return column;
    const char *bytes = m_text.constData() + m_starts[size_t(line)];
    int cell = 0;
    for (int k = 0; k < column; ++k)
        cell = cellAfter(cell, bytes[k]);
    return cell;
}

int TextView::columnNearest(int line, qreal cell) const
{
    const int length = lineLength(line);
    if (!m_tabs)
        return std::clamp(int(std::lround(cell)), 0, length);
    const char *bytes = m_text.constData() + m_starts[size_t(line)];
    int start = 0;
    for (int column = 0; column < length; ++column) {
        const int next = cellAfter(start, bytes[column]);
        if (cell < (start + next) / 2.0)
            return column;
        start = next;
    }
    return length;
}

int TextView::positionOf(int line, int column) const
{
    line = std::clamp(line, 0, lineCount() - 1);
    return m_positions[size_t(line)] + std::clamp(column, 0, lineLength(line));
}

QString TextView::textBetween(int from, int to) const
{
    from = std::clamp(from, 0, characterCount());
    to = std::clamp(to, from, characterCount());
    QString text;
    text.reserve(to - from);
    const Place first = placeOf(from);
    const Place last = placeOf(to);
    for (int line = first.line; line <= last.line; ++line) {
        const int a = line == first.line ? first.column : 0;
        const int b = line == last.line ? last.column : lineLength(line);
        text += QLatin1StringView(m_text.constData() + m_starts[size_t(line)] + a, b - a);
        if (line != last.line)
            text += QLatin1Char('\n');
    }
    return text;
}

void TextView::drawLine(QPainter &painter, int line, QPointF origin)
{
    // One column per byte, a tab to the next tab stop; blanks, tabs and
    // control characters draw nothing.
    const auto *bytes
        = reinterpret_cast<const uchar *>(m_text.constData() + m_starts[size_t(line)]);
    const int length = lineLength(line);
    const qreal left = -origin.x() - m_pitch;
    const qreal right = viewport()->width() - origin.x();
    m_runGlyphs.clear();
    m_runPositions.clear();
    int cell = 0;
    for (int column = 0; column < length; ++column) {
        const uchar c = bytes[column];
        const qreal x = cell * m_pitch;
        cell = cellAfter(cell, char(c));
        if (c <= 0x20 || c == 0x7f || x < left || x > right)
            continue;
        m_runGlyphs.append(m_glyphs[c]);
        m_runPositions.append(QPointF(x, 0));
    }
    if (m_runGlyphs.isEmpty())
        return;
    QGlyphRun run;
    run.setRawFont(m_rawFont);
    run.setGlyphIndexes(m_runGlyphs);
    run.setPositions(m_runPositions);
    painter.drawGlyphRun(origin, run);
}

void TextView::setSelection(int anchor, int cursor)
{
    const int count = characterCount();
    m_anchor = std::clamp(anchor, 0, count);
    m_cursor = std::clamp(cursor, 0, count);
    viewport()->update();
    emit selectionChanged();
    if (QAccessible::isActive()) {
        QAccessibleTextSelectionEvent selected(
            this, std::min(m_anchor, m_cursor), std::max(m_anchor, m_cursor));
        selected.setCursorPosition(m_cursor);
        QAccessible::updateAccessibility(&selected);
    }
}

void TextView::selectAll()
{
    setSelection(0, characterCount());
}

QString TextView::selectedText() const
{
    return textBetween(std::min(m_anchor, m_cursor), std::max(m_anchor, m_cursor));
}

void TextView::copy() const
{
    if (m_anchor != m_cursor)
        QApplication::clipboard()->setText(selectedText());
}

int TextView::visibleRows() const
{
    return std::max(1, viewport()->height() / m_rowHeight);
}

QRect TextView::characterRect(int position) const
{
    const Place at = placeOf(position);
    const int cell = cellOf(at.line, at.column);
    const int x = Margin + int(cell * m_pitch) - horizontalScrollBar()->value();
    const int y = (at.line - verticalScrollBar()->value()) * m_rowHeight;
    const QPoint topLeft = viewport()->mapTo(this, QPoint(x, y));
    const int cells = at.column < lineLength(at.line) ? cellOf(at.line, at.column + 1) - cell : 1;
    return QRect(topLeft, QSize(std::max(1, int(cells * m_pitch)), m_rowHeight));
}

int TextView::positionAt(const QPoint &point) const
{
    const int row = point.y() < 0 ? -1 : point.y() / m_rowHeight;
    const int line = std::clamp(verticalScrollBar()->value() + row, 0, lineCount() - 1);
    const qreal x = point.x() - Margin + horizontalScrollBar()->value();
    return positionOf(line, columnNearest(line, x / m_pitch));
}

void TextView::ensureVisible(int position)
{
    const Place at = placeOf(position);
    QScrollBar *v = verticalScrollBar();
    if (at.line < v->value())
        v->setValue(at.line);
    else if (at.line >= v->value() + visibleRows())
        v->setValue(at.line - visibleRows() + 1);
    QScrollBar *h = horizontalScrollBar();
    const int x = int(cellOf(at.line, at.column) * m_pitch);
    const int width = viewport()->width() - 2 * Margin;
    if (x < h->value())
        h->setValue(x);
    else if (x > h->value() + width)
        h->setValue(x - width);
}

void TextView::moveCursor(int position, bool extend)
{
    setSelection(extend ? m_anchor : position, position);
    ensureVisible(m_cursor);
}

void TextView::updateMetrics()
{
    const QFontMetricsF metrics(font());
    m_pitch = std::max<qreal>(1, metrics.horizontalAdvance(QLatin1Char('x')));
    m_rowHeight = std::max(1, QFontMetrics(font()).lineSpacing());
    m_ascent = QFontMetrics(font()).ascent();
    m_rawFont = QRawFont::fromFont(font());
    QString latin1(256, QChar());
    for (int c = 0; c < 256; ++c)
        latin1[c] = QChar(c);
    const QList<quint32> glyphs = m_rawFont.glyphIndexesForString(latin1);
    for (int c = 0; c < 256 && c < glyphs.size(); ++c)
        m_glyphs[c] = glyphs[c];
}

void TextView::updateScrollBars()
{
    QScrollBar *v = verticalScrollBar();
    v->setRange(0, std::max(0, lineCount() - visibleRows()));
    v->setPageStep(visibleRows());
    v->setSingleStep(1);
    QScrollBar *h = horizontalScrollBar();
    const int width = int(std::ceil(m_longest * m_pitch)) + 2 * Margin;
    h->setRange(0, std::max(0, width - viewport()->width()));
    h->setPageStep(viewport()->width());
    h->setSingleStep(std::max(1, int(m_pitch)));
}

void TextView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.setFont(font());
    const QPalette &colours = palette();
    const int top = verticalScrollBar()->value();
    const int first = top + event->rect().top() / m_rowHeight;
    const int last = std::min(lineCount() - 1, top + event->rect().bottom() / m_rowHeight);
    const qreal x0 = Margin - horizontalScrollBar()->value();
    const int selStart = std::min(m_anchor, m_cursor);
    const int selEnd = std::max(m_anchor, m_cursor);
    const QColor text = colours.color(QPalette::Text);
    for (int line = first; line <= last; ++line) {
        const int y = (line - top) * m_rowHeight;
        const bool marked = size_t(line) < m_marked.size() && m_marked[size_t(line)];
        painter.setPen(marked ? m_markColour : text);
        drawLine(painter, line, QPointF(x0, y + m_ascent));
        // The selected part, with its line end as one column more.
        const int begin = m_positions[size_t(line)];
        const int length = lineLength(line);
        const int a = std::clamp(selStart - begin, 0, length + 1);
        const int b = std::clamp(selEnd - begin, 0, length + 1);
        if (a < b) {
            const auto cell = [&](int column) {
                return column > length ? cellOf(line, length) + 1 : cellOf(line, column);
            };
            const int from = cell(a);
            const QRectF band(x0 + from * m_pitch, y, (cell(b) - from) * m_pitch, m_rowHeight);
            painter.fillRect(band, colours.brush(QPalette::Highlight));
            painter.save();
            painter.setClipRect(band);
            painter.setPen(colours.color(QPalette::HighlightedText));
            drawLine(painter, line, QPointF(x0, y + m_ascent));
            painter.restore();
        }
    }
    if (hasFocus()) {
        const Place at = placeOf(m_cursor);
        const qreal x = x0 + cellOf(at.line, at.column) * m_pitch;
        const int y = (at.line - top) * m_rowHeight;
        painter.setPen(text);
        painter.drawLine(QPointF(x, y), QPointF(x, y + m_rowHeight - 1));
    }
}

void TextView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void TextView::keyPressEvent(QKeyEvent *event)
{
    const Place at = placeOf(m_cursor);
    const int page = visibleRows();
    const struct {
        QKeySequence::StandardKey move;
        QKeySequence::StandardKey select;
        int to;
    } moves[] = {
        { QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, m_cursor + 1 },
        { QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, m_cursor - 1 },
        { QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine,
            positionOf(at.line + 1, at.column) },
        { QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine,
            positionOf(at.line - 1, at.column) },
        { QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage,
            positionOf(at.line + page, at.column) },
        { QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage,
            positionOf(at.line - page, at.column) },
        { QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine,
            positionOf(at.line, 0) },
        { QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine,
            positionOf(at.line, lineLength(at.line)) },
        { QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, 0 },
        { QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, characterCount() },
    };
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    for (const auto &m : moves) {
        if (event->matches(m.move) || event->matches(m.select)) {
            moveCursor(m.to, event->matches(m.select));
            return;
        }
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void TextView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    moveCursor(positionAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
    m_dragging = true;
}

void TextView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging || !(event->buttons() & Qt::LeftButton))
        return QAbstractScrollArea::mouseMoveEvent(event);
    moveCursor(positionAt(event->position().toPoint()), true);
}

void TextView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_dragging)
        return QAbstractScrollArea::mouseReleaseEvent(event);
    m_dragging = false;
    QClipboard *clipboard = QApplication::clipboard();
    if (clipboard->supportsSelection() && m_anchor != m_cursor)
        clipboard->setText(selectedText(), QClipboard::Selection);
}

void TextView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mouseDoubleClickEvent(event);
    // A word is a run of anything but blanks, as numbers are in these files.
    const Place at = placeOf(positionAt(event->position().toPoint()));
    const char *line = m_text.constData() + m_starts[size_t(at.line)];
    const auto blank = [&](int column) { return line[column] == ' ' || line[column] == '\t'; };
    int from = at.column;
    int to = at.column;
    while (from > 0 && !blank(from - 1))
        --from;
    while (to < lineLength(at.line) && !blank(to))
        ++to;
    setSelection(positionOf(at.line, from), positionOf(at.line, to));
    m_dragging = false;
}

void TextView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TextView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void TextView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateMetrics();
        updateScrollBars();
        viewport()->update();
    }
}

bool TextView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ContextMenu) {
        auto *menu = new QMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        QAction *copying = menu->addAction(tr("&Copy"), this, &TextView::copy);
        copying->setShortcut(QKeySequence::Copy);
        copying->setEnabled(m_anchor != m_cursor);
        menu->addAction(tr("Select &All"), this, &TextView::selectAll)
            ->setShortcut(QKeySequence::SelectAll);
        menu->popup(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}
