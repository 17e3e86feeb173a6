// Tables and tables in table cells: rows, cells and their widths and borders.
#include "rtf/rtfreaderstate.h"

#include "platform/codepage.h"
#include "rtf/rtfcodepage.h"
#include "rtf/rtfkept.h"

namespace rtfread {

void Reader::closeTable()
{
    // what follows a table starts below it, in the cell or on the page around it
    m_cursor = m_tables.back().table->lastCursorPosition();
    m_cursor.movePosition(QTextCursor::NextCharacter);
    m_tables.pop_back();
    m_blockStateKnown = false;
}

void Reader::enterCellIfNeeded()
{
    const size_t depth = static_cast<size_t>(std::clamp(m_s.par.itap, 0, kMaxTableDepth));
    while (m_tables.size() > depth)
        closeTable();
    for (size_t d = 0; d < depth; ++d) {
        if (d == m_tables.size()) {
            const RowDefinition& def = m_rowDefinitions[d + 1];
            // The \\par before a table ends the paragraph above it; it opens no empty one.
            const QTextBlock here = m_cursor.block();
            if (here.length() == 1 && here.previous().isValid() && !m_cursor.currentList()) {
                QTextCursor before(here.previous());
                before.movePosition(QTextCursor::EndOfBlock);
                const bool sameCell =
                    before.currentFrame() == m_cursor.currentFrame() &&
                    (!m_cursor.currentTable() ||
                     m_cursor.currentTable()->cellAt(m_cursor) == before.currentTable()->cellAt(before));
                if (sameCell && before.position() + 1 == m_cursor.position())
                    m_cursor.deletePreviousChar();
            }
            OpenTable open;
            open.table = m_cursor.insertTable(1, std::max<int>(1, static_cast<int>(def.cellx.size())));
            QTextTableFormat tf = open.table->format();
            tf.setBorder(def.borders ? 1 : 0);
            tf.setBorderCollapse(true);
            tf.setCellPadding(2);
            tf.setCellSpacing(0);
            open.table->setFormat(tf);
            m_tables.push_back(open);
            m_cursor = open.table->cellAt(0, 0).firstCursorPosition();
            m_blockStateKnown = false;
            continue;
        }
        OpenTable& t = m_tables[d];
        if (!t.rowPending && !t.cellPending)
            continue;
        while (m_tables.size() > d + 1)
            closeTable();
        if (t.rowPending) {
            t.table->appendRows(1);
            ++t.row;
            t.col = 0;
        } else if (t.col >= t.table->columns()) {
            t.table->appendColumns(1); // a row with more cells than the first
        }
        t.rowPending = false;
        t.cellPending = false;
        m_cursor = t.table->cellAt(t.row, t.col).firstCursorPosition();
        m_blockStateKnown = false;
    }
}

void Reader::endCell(int depth)
{
    flushText();
    m_s.par.itap = std::max(m_s.par.itap, depth);
    if (depth > kMaxTableDepth) {
        noteLossy(QStringLiteral("tables"));
        return;
    }
    enterCellIfNeeded();
    applyBlockFormat();
    if (static_cast<int>(m_tables.size()) >= depth && depth > 0) {
        ++m_tables[depth - 1].col;
        m_tables[depth - 1].cellPending = true;
    }
}

void Reader::endRow(int depth)
{
    flushText();
    if (depth < 1 || depth > kMaxTableDepth || static_cast<int>(m_tables.size()) < depth)
        return;
    OpenTable& t = m_tables[depth - 1];
    // The first row gives the columns their widths, as the row definition says.
    const RowDefinition& def = m_rowDefinitions[depth];
    if (t.row == 0 && static_cast<int>(def.cellx.size()) == t.table->columns()) {
        QList<QTextLength> widths;
        int left = 0;
        for (const int x : def.cellx) {
            widths << QTextLength(QTextLength::FixedLength, twipsToPoints(std::clamp(x - left, 1, 31680)));
            left = std::max(left, x);
        }
        QTextTableFormat tf = t.table->format();
        tf.setColumnWidthConstraints(widths);
        tf.setBorder(def.borders ? 1 : 0);
        t.table->setFormat(tf);
    }
    t.rowPending = true; // a row with fewer cells than columns leaves the last ones empty
    t.cellPending = false;
}

void Reader::tableWord(int id, int v)
{
    // A row definition belongs to the depth of the paragraph it stands in, at least the outer table.
    const int depth = std::clamp(std::max(m_s.par.itap, 1), 1, kMaxTableDepth);
    switch (id) {
    case TRowDefaults:
        flushText();
        m_rowDefinitions[depth] = RowDefinition();
        m_s.par.itap = std::max(m_s.par.itap, 1);
        break;
    case TCellX:
        if (m_rowDefinitions[depth].cellx.size() < 256)
            m_rowDefinitions[depth].cellx.push_back(v);
        m_borderSide = false;
        break;
    case TBorderSide:
        m_borderSide = true;
        break;
    case TBorderStyle:
        if (m_borderSide)
            m_rowDefinitions[depth].borders = true;
        break;
    case TCell:
        endCell(1);
        break;
    case TNestCell:
        endCell(std::max(m_s.par.itap, 2));
        break;
    case TRow:
        endRow(1);
        break;
    case TNestRow:
        endRow(std::max(m_s.par.itap, 2));
        break;
    default:
        break;
    }
}

} // namespace rtfread
