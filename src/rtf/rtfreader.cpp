// The reader's run: tokens in, groups opened and closed, control words dispatched by kind.
#include "rtf/rtfreaderstate.h"

#include "platform/codepage.h"
#include "rtf/rtfcodepage.h"
#include "rtf/rtfkept.h"

#include <algorithm>
#include <cctype>

namespace rtfread {

namespace {
bool isBlank(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == 0 || std::isspace(uchar(c)); });
}
} // namespace

void Reader::word(const RtfTokenizer::Token& t)
{
    const bool star = m_starNext;
    m_starNext = false;
    m_destFrom = star ? m_starAt : t.word.data() - m_bytes.data() - 1;
    if (m_s.dest == Dest::Skip || m_s.dest == Dest::Kept || m_s.dest == Dest::PageKept)
        return;
    // A Unicode text and its 8-bit alternative for older readers: the Unicode one is shown.
    if (t.word == "upr" || t.word == "ud") {
        if (m_s.dest == Dest::Text || m_s.dest == Dest::FieldResult || m_s.dest == Dest::Inner) {
            flushText();
            m_s.dropText = t.word == "upr";
        } else if (star) {
            openDestination(Dest::Skip);
        }
        return;
    }
    const auto& table = keywords();
    const auto found = table.find(std::string_view(t.word.data(), static_cast<size_t>(t.word.size())));
    if (found == table.end()) {
        if (star)
            openDestination(Dest::Skip); // an optional destination we do not know
        return;
    }
    const Keyword k = found->second;
    const int v = t.param;
    if (k.kind == Kw::Dest) {
        if (t.word == "field") {
            m_fieldLocked = false;
            m_s.fieldGroup = m_s.dest == Dest::Text || m_s.dest == Dest::FieldResult || m_s.dest == Dest::Inner;
        }
        if (t.word == "object")
            noteLossy(QStringLiteral("objects"));
        else if (t.word == "shp" || t.word == "shpgrp" || t.word == "do")
            noteLossy(QStringLiteral("shapes"));
        openDestination(static_cast<Dest>(k.id));
        if (m_s.dest == Dest::Inner && (t.word == "shptxt" || t.word == "dptxbxtext"))
            ownParagraph();
        return;
    }
    if (star) {
        openDestination(Dest::Skip);
        return;
    }
    switch (m_s.dest) {
    case Dest::Picture:
        if (k.kind == Kw::Pict)
            pictWord(k.id, t);
        return;
    case Dest::FontTable:
        if (k.kind == Kw::Char && k.id == CFont) {
            finishFontEntry();
            m_fontEntry = v;
            m_fonts[v] = Font();
        } else if (k.kind == Kw::Font && m_fontEntry >= 0) {
            if (k.id == FCharset)
                m_fonts[m_fontEntry].codePage = rtfcodepage::fromCharset(v, m_docCodePage);
            else if (v > 0)
                m_fonts[m_fontEntry].codePage = v;
        }
        return;
    case Dest::ColorTable:
        if (k.kind == Kw::Color) {
            (k.id == CRed ? m_r : k.id == CGreen ? m_g : m_b) = v;
            m_colorSet = true;
        }
        return;
    case Dest::PnDefinition:
    case Dest::ListTable:
    case Dest::ListOverrideTable:
        if (k.kind == Kw::List)
            listWord(k.id, t.hasParam ? v : 1); // a flag such as \levellegal alone is on
        else if (k.kind == Kw::Par && k.id == PListOverride && m_s.dest == Dest::ListOverrideTable)
            m_overrideLs = v;
        return;
    case Dest::LevelText:
        if (k.kind == Kw::Special && k.id == SUnicode) {
            m_levelText += '?'; // a bullet character: bullet levels need no text around a number
            m_skipChars = m_s.uc;
        }
        return;
    case Dest::FieldInstruction:
    case Dest::ListText:
    case Dest::ShapeName:
        return;
    default:
        break;
    }
    const bool on = !t.hasParam || v != 0;
    switch (k.kind) {
    case Kw::Char:
        flushText();
        charProperty(k.id, v, on, t.hasParam);
        return;
    case Kw::Par:
        parProperty(k.id, v);
        return;
    case Kw::Insert:
        appendText(QString(QChar(static_cast<char16_t>(k.id))));
        return;
    case Kw::Special:
        special(k.id, t);
        return;
    case Kw::Table:
        tableWord(k.id, v);
        return;
    default:
        return;
    }
}

void Reader::special(int id, const RtfTokenizer::Token& t)
{
    const int v = t.param;
    switch (id) {
    case SPar:
        paragraph();
        break;
    case SPage: // a page, section or column ends the paragraph it stands in, if it has begun
        if (blockHasText())
            paragraph();
        if (t.word == "page") {
            breakBeforeThisBlock();
        } else if (t.word == "sect") { // a section begins a page unless the next one says otherwise
            breakBeforeThisBlock();
            m_sectionBreak = m_pageBreaks.empty() ? -1 : m_pageBreaks.back();
        }
        break;
    case SPageBreakBefore:
        if (!t.hasParam || v != 0)
            breakBeforeThisBlock();
        break;
    case SSectionContinuous: // the section that begins here runs on from the one before
        if (m_sectionBreak >= 0 && !m_pageBreaks.empty() && m_pageBreaks.back() == m_sectionBreak &&
            m_cursor.block().blockNumber() == m_sectionBreak)
            m_pageBreaks.pop_back();
        m_sectionBreak = -1;
        break;
    case SUnicode:
        appendText(QString(QChar(static_cast<char16_t>(v < 0 ? v + 65536 : v))));
        m_skipChars = m_s.uc;
        break;
    case SUc:
        m_s.uc = std::clamp(v, 0, 10);
        break;
    case SAnsiCpg:
        if (v > 0)
            m_docCodePage = v;
        setCodePage(codePageOfFont(m_s.ch.font));
        break;
    case SPc: // the IBM PC's character sets
    case SPca:
        m_docCodePage = id == SPc ? 437 : 850;
        setCodePage(codePageOfFont(m_s.ch.font));
        break;
    case SMac:
        m_docCodePage = 10000;
        setCodePage(codePageOfFont(m_s.ch.font));
        break;
    case SDeff:
        m_defaultFont = v;
        break;
    case SFieldLock:
        m_fieldLocked = true;
        break;
    case SNoteArabic:
    case SNoteLowerAlpha:
    case SNoteUpperAlpha:
    case SNoteLowerRoman:
    case SNoteUpperRoman:
    case SEndnoteArabic:
    case SEndnoteLowerAlpha:
    case SEndnoteUpperAlpha:
    case SEndnoteLowerRoman:
    case SEndnoteUpperRoman: {
        static const ListKind noteKinds[] = {ListKind::Decimal, ListKind::LowerAlpha, ListKind::UpperAlpha,
                                             ListKind::LowerRoman, ListKind::UpperRoman};
        const bool endnotes = id >= SEndnoteArabic;
        (endnotes ? m_endnoteNumbers : m_noteNumbers).kind =
            noteKinds[id - (endnotes ? SEndnoteArabic : SNoteArabic)];
        m_pageWords += '\\' + t.word.toByteArray();
        break;
    }
    case SPageWord: {
        // Once each: a later section's own layout is not the page's.
        const QByteArray w = '\\' + t.word.toByteArray();
        if (!m_pageWordsSeen.contains(w)) {
            m_pageWordsSeen.insert(w);
            m_pageWords += w + (t.hasParam ? QByteArray::number(v) : QByteArray());
        }
        break;
    }
    case SNoteStart:
    case SEndnoteStart:
        (id == SNoteStart ? m_noteNumbers : m_endnoteNumbers).start = std::clamp(v, 1, 32767);
        m_pageWords += '\\' + t.word.toByteArray() + QByteArray::number(v);
        break;
    case SFootnoteMark:
        flushText();
        m_keptPrefix += "{\\super\\chftn}";
        break;
    case SCommentMark:
        flushText();
        m_keptPrefix += "\\chatn ";
        break;
    default:
        break;
    }
}

// The paragraph being read has text, shown or waiting to be.
bool Reader::blockHasText() const
{
    return m_blockHasContent || !m_pending.isEmpty() || !m_pendingBytes.isEmpty();
}

// The text of a box begins a paragraph of its own, and the paragraph after it another.
void Reader::ownParagraph()
{
    if (!m_s.ownParagraph && blockHasText())
        paragraph();
    m_s.ownParagraph = true;
}

// The paragraph being read begins a new page (not in tables, nor the page's first paragraph).
void Reader::breakBeforeThisBlock()
{
    if (m_s.dest != Dest::Text || !m_tables.empty() || m_paragraphs == 0)
        return;
    const int n = m_cursor.block().blockNumber();
    if (m_pageBreaks.empty() || m_pageBreaks.back() != n)
        m_pageBreaks.push_back(n);
}

RtfReader::Result Reader::run(const RtfReader::Options& options)
{
    m_cursor.movePosition(QTextCursor::Start);
    m_cursor.beginEditBlock();
    int depthOverflow = 0;
    bool partial = false;
    QElapsedTimer sinceTold;
    sinceTold.start();
    for (unsigned tokens = 1;; ++tokens) {
        const RtfTokenizer::Token t = m_tok.next();
        if (t.kind == Kind::End)
            break;
        if (options.progress && tokens % 4096 == 0 && sinceTold.elapsed() >= 40) {
            options.progress(
                static_cast<int>(m_tok.position() * 100 / std::max<qsizetype>(1, m_bytes.size())));
            sinceTold.restart();
        }
        // A first look stops between paragraphs of the body, outside tables and groups of their own.
        if (options.firstParagraphs > 0 && m_paragraphs >= options.firstParagraphs && m_tables.empty() &&
            m_s.dest == Dest::Text && m_stack.size() <= 1 && t.kind != Kind::GroupEnd) {
            partial = true;
            break;
        }
        // Word and LibreOffice show nothing after the document's end (a stray "}" ends it early); what
        // stands there is left for the original kept beside the page. Optional groups there (Word's theme
        // data) and blank bytes are no loss.
        if (m_documentEnded) {
            if (t.kind == Kind::GroupStart) {
                m_endGroupOpened = m_endDepth++ == 0;
                continue;
            }
            if (m_endGroupOpened && !(t.kind == Kind::Symbol && t.symbol == '*'))
                m_afterEnd = true;
            m_endGroupOpened = false;
            if (t.kind == Kind::GroupEnd)
                m_endDepth = std::max(0, m_endDepth - 1);
            else if (m_endDepth == 0 && !(t.kind == Kind::Text && isBlank(t.word)))
                m_afterEnd = true;
            continue;
        }
        if (depthOverflow > 0) { // groups nested too deep are passed over whole
            if (t.kind == Kind::GroupStart)
                ++depthOverflow;
            else if (t.kind == Kind::GroupEnd)
                --depthOverflow;
            continue;
        }
        // Characters after \u that stand in for it are skipped.
        if (m_skipChars > 0 && (t.kind == Kind::Hex || t.kind == Kind::Text || t.kind == Kind::Symbol ||
                                (t.kind == Kind::Word && t.word != "u"))) {
            if (t.kind == Kind::Text && t.word.size() > m_skipChars) {
                const QByteArrayView rest = t.word.sliced(m_skipChars);
                m_skipChars = 0;
                text(rest);
            } else {
                m_skipChars -= t.kind == Kind::Text ? static_cast<int>(t.word.size()) : 1;
                m_skipChars = std::max(0, m_skipChars);
            }
            continue;
        }
        // "\\*" marks only the control word right after it, and only as the first thing of a group:
        // elsewhere (StarWriter writes "\\*\\cs7" amid a run's words) it marks nothing.
        if (t.kind != Kind::Word && !(t.kind == Kind::Symbol && t.symbol == '*'))
            m_starNext = false;
        const bool groupJustOpened = m_afterGroupStart;
        m_afterGroupStart = t.kind == Kind::GroupStart;
        if (t.kind == Kind::Symbol && t.symbol == '*' && !groupJustOpened)
            continue;
        switch (t.kind) {
        case Kind::GroupStart:
            m_skipChars = 0;
            if (m_stack.size() >= static_cast<size_t>(RtfReader::kMaxDepth)) {
                depthOverflow = 1;
                m_problem =
                    QStringLiteral("The page nests groups too deeply; the deepest parts were left out.");
                break;
            }
            m_stack.push_back(m_s);
            m_s.groupStart = m_tok.position() - 1;
            m_s.fieldGroup = false;
            m_s.shownAt = m_cursor.position() + m_pending.size() + m_pendingBytes.size();
            if (m_documentStart == -2)
                m_documentStart = m_s.groupStart;
            break;
        case Kind::GroupEnd: {
            m_skipChars = 0;
            if (m_stack.empty())
                break; // unbalanced braces are tolerated
            if (m_s.dest == Dest::Text || m_s.dest == Dest::FieldResult || m_s.dest == Dest::Inner)
                flushText();
            const State closed = m_s;
            m_s = m_stack.back();
            m_stack.pop_back();
            m_tok.setCodePage(m_s.codePage);
            groupClosed(closed);
            if (m_stack.empty()) {
                setCodePage(codePageOfFont(m_s.ch.font));
                m_documentEnded = m_documentEnded || closed.groupStart == m_documentStart;
            }
            break;
        }
        case Kind::Word:
            word(t);
            break;
        case Kind::Symbol:
            if (m_s.dest == Dest::FieldInstruction &&
                (t.symbol == '\\' || t.symbol == '{' || t.symbol == '}'))
                m_fieldInstruction += QLatin1Char(t.symbol); // a field's switches: DATE \\@ "d.M.yyyy"
            else if (m_s.dest == Dest::Text || m_s.dest == Dest::FieldResult || m_s.dest == Dest::Inner ||
                     t.symbol == '*')
                symbol(t.symbol);
            break;
        case Kind::Text:
            text(t.word);
            break;
        case Kind::Hex: {
            const char b = static_cast<char>(t.byte);
            if (m_s.dest != Dest::Picture)
                text(QByteArrayView(&b, 1));
            break;
        }
        case Kind::Bin:
            if (m_s.dest == Dest::Picture)
                m_pict.bin = t.data.toByteArray();
            break;
        case Kind::End:
            break;
        }
    }
    if (m_afterEnd)
        noteLossy(QStringLiteral("after the end"));
    if (m_s.dest == Dest::Kept || m_s.dest == Dest::PageKept)
        m_problem = QStringLiteral("The page ends inside a footnote, comment, header or footer.");
    m_pendingBytes += QByteArray(rtfcodepage::pendingLead(m_pendingBytes, m_s.codePage), '?');
    flushText();
    m_s.par.itap = 0;
    enterCellIfNeeded();
    if (!m_blockHasContent && m_paragraphs > 0 && m_cursor.block().length() == 1 &&
        !m_cursor.currentTable()) {
        // The final \par closes the last paragraph; it does not open an empty one.
        m_cursor.deletePreviousChar();
    } else {
        applyBlockFormat();
    }
    for (const int n : m_pageBreaks) {
        QTextCursor c(m_doc->findBlockByNumber(n));
        QTextBlockFormat bf;
        bf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        c.mergeBlockFormat(bf);
    }
    // Asking for the layout makes one; a page without kept groups leaves that to its view.
    if (m_keptObjects > 0)
        rtfkept::registerHandler(m_doc);
    m_cursor.endEditBlock();
    m_pageGroups.prepend(m_pageWords.isEmpty() ? m_pageWords : m_pageWords + "\r\n");
    if (!m_pageGroups.isEmpty()) {
        QTextFrameFormat ff = m_doc->rootFrame()->frameFormat();
        ff.setProperty(rtfprop::kPageGroups, m_pageGroups);
        m_doc->rootFrame()->setFrameFormat(ff);
    }
    RtfReader::Result r;
    if (m_tok.damaged() && m_problem.isEmpty())
        m_problem = QStringLiteral("The page is damaged; what could be read is shown.");
    r.ok = m_problem.isEmpty();
    r.problem = m_problem;
    r.lossy = m_lossy;
    r.partial = partial;
    return r;
}

} // namespace rtfread

using namespace rtfread;

RtfReader::Result RtfReader::read(const QByteArray& bytes, QTextDocument* document, const Options& options)
{
    document->clear();
    qsizetype start = 0;
    while (start < bytes.size() && static_cast<unsigned char>(bytes[start]) <= ' ')
        ++start;
    if (!QByteArrayView(bytes).sliced(start).startsWith("{\\rtf")) {
        // Not RTF: plain 8-bit text in the collection's code page.
        QString text = cp1251::decode(bytes);
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(u'\r', u'\n');
        dropControls(text);
        document->setPlainText(text);
        return {};
    }
    // Reading is one edit with no undo steps. A document shown in an editor lays itself out as it
    // changes; with no page size it does not, and getting its size back lays the whole page out
    // lazily, a part at a time after the first paint, as a document given to an editor is.
    const bool undo = document->isUndoRedoEnabled();
    const QSizeF page = document->pageSize();
    document->setUndoRedoEnabled(false);
    document->setPageSize(QSizeF(0, 0));
    Reader reader(bytes, document);
    const Result r = reader.run(options);
    document->setPageSize(page);
    document->setUndoRedoEnabled(undo);
    return r;
}
