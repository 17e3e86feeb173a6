// The document as it is read: text with its formats, paragraphs and their formats.
#include "rtf/rtfreaderstate.h"

#include "platform/codepage.h"
#include "rtf/rtfcodepage.h"
#include "rtf/rtfkept.h"

namespace rtfread {

void Reader::noteLossy(const QString& what)
{
    if (!m_lossy.contains(what))
        m_lossy << what;
}

int Reader::codePageOfFont(int f) const
{
    const auto it = m_fonts.constFind(f);
    if (it != m_fonts.constEnd() && it->codePage > 0)
        return it->codePage;
    return m_docCodePage;
}

void Reader::setCodePage(int codePage)
{
    m_s.codePage = codePage;
    m_tok.setCodePage(codePage);
}

const QTextCharFormat& Reader::charFormat()
{
    // A page uses few distinct formats; the recent ones are kept, most recent first.
    for (size_t i = 0; i < m_formats.size(); ++i) {
        if (m_formats[i].state == m_s.ch && m_formats[i].defaultFont == m_defaultFont) {
            if (i > 0)
                std::swap(m_formats[i], m_formats[i - 1]);
            return m_formats[i > 0 ? i - 1 : 0].format;
        }
    }
    if (m_formats.size() >= 16)
        m_formats.pop_back();
    m_formats.insert(m_formats.begin(), {m_s.ch, m_defaultFont, makeCharFormat()});
    return m_formats.front().format;
}

QTextCharFormat Reader::makeCharFormat() const
{
    QTextCharFormat f;
    const auto it = m_fonts.constFind(m_s.ch.font >= 0 ? m_s.ch.font : m_defaultFont);
    if (it != m_fonts.constEnd() && !it->name.isEmpty())
        f.setFontFamilies({it->name});
    f.setFontPointSize(std::clamp(m_s.ch.size, 2, 3276) / 2.0);
    if (m_s.ch.bold)
        f.setFontWeight(QFont::Bold);
    f.setFontItalic(m_s.ch.italic);
    f.setFontUnderline(m_s.ch.underline);
    f.setFontStrikeOut(m_s.ch.strike);
    if (m_s.ch.fg > 0 && m_s.ch.fg < static_cast<int>(m_colors.size()) && m_colors[m_s.ch.fg].isValid())
        f.setForeground(m_colors[m_s.ch.fg]);
    if (m_s.ch.bg > 0 && m_s.ch.bg < static_cast<int>(m_colors.size()) && m_colors[m_s.ch.bg].isValid())
        f.setBackground(m_colors[m_s.ch.bg]);
    if (m_s.ch.vertical > 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (m_s.ch.vertical < 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (!m_s.ch.field.isEmpty())
        f.setProperty(rtfprop::kField,
                      m_s.ch.fieldLocked ? QStringLiteral("\\fldlock ") + m_s.ch.field : m_s.ch.field);
    if (!m_s.ch.href.isEmpty()) {
        f.setAnchor(true);
        f.setAnchorHref(m_s.ch.href);
    }
    if (m_s.ch.protect)
        f.setProperty(rtfprop::kProtected, true);
    return f;
}

// The current block takes the paragraph state unless it already has it.
void Reader::applyBlockFormat()
{
    if (m_blockStateKnown && m_blockState == m_s.par)
        return;
    m_cursor.setBlockFormat(blockFormat());
    m_blockState = m_s.par;
    m_blockStateKnown = true;
}

const QTextBlockFormat& Reader::blockFormat()
{
    if (!m_madeBlockKnown || !(m_madeBlockState == m_s.par)) {
        m_madeBlock = makeBlockFormat();
        m_madeBlockState = m_s.par;
        m_madeBlockKnown = true;
    }
    return m_madeBlock;
}

QTextBlockFormat Reader::makeBlockFormat() const
{
    QTextBlockFormat b;
    b.setAlignment(m_s.par.align);
    b.setTextIndent(twipsToPoints(m_s.par.fi));
    b.setLeftMargin(twipsToPoints(m_s.par.li));
    b.setRightMargin(twipsToPoints(m_s.par.ri));
    b.setTopMargin(twipsToPoints(m_s.par.sb));
    b.setBottomMargin(twipsToPoints(m_s.par.sa));
    if (!m_s.par.tabs.empty()) {
        QList<QTextOption::Tab> tabs;
        for (const int t : m_s.par.tabs)
            tabs << QTextOption::Tab(twipsToPoints(t), QTextOption::LeftTab);
        b.setTabPositions(tabs);
    }
    return b;
}

void Reader::appendBytes(QByteArrayView b)
{
    if (!m_s.dropText)
        m_pendingBytes += b;
}

void Reader::appendText(const QString& s)
{
    if (!m_pendingBytes.isEmpty()) {
        m_pending += rtfcodepage::decode(m_pendingBytes, m_s.codePage);
        m_pendingBytes.clear();
    }
    if (!m_s.dropText)
        m_pending += s;
}

void Reader::flushText()
{
    if (!m_pendingBytes.isEmpty()) {
        // A lead byte whose trail byte comes in the next escape or run waits for it.
        const int held = rtfcodepage::pendingLead(m_pendingBytes, m_s.codePage);
        const QByteArray last = m_pendingBytes.right(held);
        m_pendingBytes.chop(held);
        appendText(QString());
        m_pendingBytes = last;
    }
    dropControls(m_pending);
    if (m_pending.isEmpty())
        return;
    enterCellIfNeeded();
    if (m_s.ch.hidden) {
        // Hidden text is not shown, as in word processors, but kept where it stood and written back.
        QTextCharFormat f = charFormat();
        f.setObjectType(rtfkept::kObjectType);
        f.setProperty(rtfprop::kKeptGroup, QByteArray("{\\v " + rtfkept::escapedText(m_pending) + '}'));
        m_cursor.insertText(QString(QChar::ObjectReplacementCharacter), f);
        ++m_keptObjects;
    } else {
        m_cursor.insertText(m_pending, charFormat());
    }
    m_blockHasContent = true;
    m_pending.clear();
}

void Reader::paragraph()
{
    flushText();
    enterCellIfNeeded();
    applyBlockFormat();
    applyList();
    m_cursor.insertBlock(blockFormat(), charFormat());
    m_blockState = m_s.par;
    m_blockStateKnown = true;
    m_blockHasContent = false;
    ++m_paragraphs;
}

void Reader::symbol(char c)
{
    switch (c) {
    case '\\':
    case '{':
    case '}':
        appendBytes(QByteArrayView(&c, 1)); // may be the trail byte of a double-byte character
        break;
    case '~':
        appendText(QString(QChar(0x00A0)));
        break;
    case '_':
        appendText(QString(QChar(0x2011)));
        break;
    case '-': // an optional hyphen: shown only where a line breaks, and kept
        appendText(QString(QChar(0x00AD)));
        break;
    case '*':
        m_starNext = true;
        m_starAt = m_tok.position() - 2;
        return;
    case '\t':
        appendText(QStringLiteral("\t"));
        break;
    default:
        break;
    }
}

void Reader::charProperty(int id, int v, bool on, bool hasParam)
{
    CharState& c = m_s.ch;
    switch (id) {
    case CPlain: {
        const QString href = c.href, field = c.field;
        const bool locked = c.fieldLocked;
        c = CharState();
        c.href = href;
        c.field = field;
        c.fieldLocked = locked;
        c.font = m_defaultFont;
        break;
    }
    case CFont:
        c.font = v;
        setCodePage(codePageOfFont(v));
        break;
    case CSize:
        c.size = v;
        break;
    case CBold:
        c.bold = on;
        break;
    case CItalic:
        c.italic = on;
        break;
    case CUnder:
        c.underline = on;
        break;
    case CUnderNone:
        c.underline = false;
        break;
    case CStrike:
        c.strike = on;
        break;
    case CFg:
        c.fg = v;
        break;
    case CBg:
        c.bg = v;
        break;
    case CSuper:
        c.vertical = on ? 1 : 0;
        break;
    case CSub:
        c.vertical = on ? -1 : 0;
        break;
    case CNoSuperSub:
        c.vertical = 0;
        break;
    case CUp:
        c.vertical = hasParam && v == 0 ? 0 : 1; // raised text, as LibreOffice writes it
        break;
    case CDown:
        c.vertical = hasParam && v == 0 ? 0 : -1;
        break;
    case CHidden:
        c.hidden = on;
        break;
    case CProtect:
        c.protect = on;
        break;
    default:
        break;
    }
}

void Reader::parProperty(int id, int v)
{
    ParState& p = m_s.par;
    switch (id) {
    case PPard:
        flushText();
        p = ParState();
        break;
    case PLeft:
        p.align = Qt::AlignLeft;
        break;
    case PCenter:
        p.align = Qt::AlignHCenter;
        break;
    case PRight:
        p.align = Qt::AlignRight;
        break;
    case PJustify:
        p.align = Qt::AlignJustify;
        break;
    case PFirst:
        p.fi = v;
        break;
    case PLeftIndent:
        p.li = v;
        break;
    case PRightIndent:
        p.ri = v;
        break;
    case PBefore:
        p.sb = v;
        break;
    case PAfter:
        p.sa = v;
        break;
    case PTab:
        if (p.tabs.size() < 64)
            p.tabs.push_back(v);
        break;
    case PInTable:
        p.itap = std::max(p.itap, 1);
        break;
    case PItap:
        flushText();
        p.itap = std::clamp(v, 0, kMaxTableDepth + 1);
        break;
    case PListOverride:
        p.ls = std::max(v, 0);
        if (p.list == ListKind::None)
            p.list = ListKind::Bullet;
        break;
    case PLevel:
        p.level = std::clamp(v, 0, 8);
        break;
    default:
        break;
    }
}

void Reader::text(QByteArrayView bytes)
{
    switch (m_s.dest) {
    case Dest::Text:
    case Dest::FieldResult:
    case Dest::Inner:
        appendBytes(bytes);
        break;
    case Dest::FontTable:
        m_fontName += bytes;
        break;
    case Dest::ColorTable:
        for (const char c : bytes) {
            if (c != ';')
                continue;
            m_colors.push_back(
                m_colorSet ? QColor(std::clamp(m_r, 0, 255), std::clamp(m_g, 0, 255), std::clamp(m_b, 0, 255))
                           : QColor());
            m_r = m_g = m_b = 0;
            m_colorSet = false;
            m_formats.clear();
        }
        break;
    case Dest::Picture:
        if (m_pict.hex.size() < 256 * 1024 * 1024)
            m_pict.hex += bytes;
        break;
    case Dest::FieldInstruction:
        if (m_fieldInstruction.size() < 65536)
            m_fieldInstruction += rtfcodepage::decode(bytes, m_s.codePage);
        break;
    case Dest::ShapeName:
        if (m_shapeName.size() < 64)
            m_shapeName += bytes;
        break;
    case Dest::ListText:
        m_listText += rtfcodepage::decode(bytes, m_s.codePage);
        break;
    case Dest::LevelText:
        if (m_levelText.size() < 256)
            m_levelText += bytes;
        break;
    default:
        break;
    }
}

} // namespace rtfread
