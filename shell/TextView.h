// SPDX-License-Identifier: GPL-3.0-or-later
// A read-only view of single-byte text for the main window's three tabs. A
// view holds the bytes as given and the offsets of their lines, and lays out
// only the rows on screen, so that showing a 2199-line working file after
// every command costs a scan for line ends rather than a text layout.
// The text can be selected with the mouse and the keyboard (Shift with the
// arrows, Home, End, Page Up and Down; Ctrl+A) and copied (Ctrl+C). Chosen
// lines can be drawn in their own colour, the removed points of the data set.
// The font is the widget's; it should be of fixed pitch. A tab reaches to the
// next multiple of eight columns, as terminals and editors show it.
#pragma once

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPointF>
#include <QRawFont>

#include <vector>

class QPainter;

class TextView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit TextView(QWidget *parent = nullptr);

    // Line ends of any kind (LF, CR LF, a lone CR) end a line; a last line
    // needs none. Clears the selection and the marked lines; back to the top.
    void setText(const QByteArray &text);
    // The text with LF line ends, as the plain-text editors give it.
    QString toPlainText() const;
    bool isReadOnly() const { return true; }

    // Lines (0-based) drawn in `colour` instead of the text colour; any
    // earlier marks go.
    void setMarkedLines(const std::vector<int> &lines, const QColor &colour);
    void setMarkColour(const QColor &colour);
    // The colour line `line` is drawn in when not selected.
    QColor lineColour(int line) const;

    int lineCount() const { return int(m_starts.size()); }
    // A position is an offset into toPlainText(); the selection runs between
    // the anchor and the cursor.
    int characterCount() const;
    int cursorPosition() const { return m_cursor; }
    int anchorPosition() const { return m_anchor; }
    void setSelection(int anchor, int cursor);
    void selectAll();
    QString selectedText() const;
    void copy() const;
    // Text between two positions.
    QString textBetween(int from, int to) const;
    // Where the character at `position` is drawn, in widget coordinates.
    QRect characterRect(int position) const;
    // The position nearest to a point of the viewport.
    int positionAt(const QPoint &point) const;
    void ensureVisible(int position);

signals:
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    struct Place {
        int line;
        int column;
    };
    Place placeOf(int position) const;
    int positionOf(int line, int column) const;
    int lineLength(int line) const { return m_ends[size_t(line)] - m_starts[size_t(line)]; }
    // The screen column where the character at `column` of `line` starts
    // (the same unless the line holds tabs), and the column whose start is
    // nearest to screen column `cell`.
    int cellOf(int line, int column) const;
    int columnNearest(int line, qreal cell) const;
    // Draws the line with its baseline starting at `origin`.
    void drawLine(QPainter &painter, int line, QPointF origin);
    void moveCursor(int position, bool extend);
    void updateScrollBars();
    void updateMetrics();
    int visibleRows() const;

    QByteArray m_text;
    // Byte offsets of each line's first character and of its end (before
    // the line end); the plain-text position of each line's start.
    std::vector<int> m_starts;
    std::vector<int> m_ends;
    std::vector<int> m_positions;
    int m_longest = 0; // screen columns
    bool m_tabs = false;
    std::vector<bool> m_marked;
    QColor m_markColour;
    int m_anchor = 0;
    int m_cursor = 0;
    bool m_dragging = false;
    qreal m_pitch = 1;
    int m_rowHeight = 1;
    int m_ascent = 0;
    // The font's glyph of each byte, so that a row is drawn as one glyph run
    // at fixed steps without shaping its text; and that run's buffers.
    QRawFont m_rawFont;
    quint32 m_glyphs[256] = {};
    QList<quint32> m_runGlyphs;
    QList<QPointF> m_runPositions;
    static constexpr int Margin = 4;
};
