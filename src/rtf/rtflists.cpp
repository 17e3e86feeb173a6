// Lists: Word's list table and overrides, the older \\pn numbering and the markers of \\listtext.
#include "rtf/rtfreaderstate.h"

#include "platform/codepage.h"
#include "rtf/rtfcodepage.h"
#include "rtf/rtfkept.h"

namespace rtfread {

QTextListFormat::Style listStyle(ListKind k)
{
    switch (k) {
    case ListKind::Decimal:
        return QTextListFormat::ListDecimal;
    case ListKind::LowerAlpha:
        return QTextListFormat::ListLowerAlpha;
    case ListKind::UpperAlpha:
        return QTextListFormat::ListUpperAlpha;
    case ListKind::LowerRoman:
        return QTextListFormat::ListLowerRoman;
    case ListKind::UpperRoman:
        return QTextListFormat::ListUpperRoman;
    default:
        return QTextListFormat::ListDisc;
    }
}

ListKind nfcKind(int nfc)
{
    switch (nfc) {
    case 0:
    case 22:
        return ListKind::Decimal;
    case 1:
        return ListKind::UpperRoman;
    case 2:
        return ListKind::LowerRoman;
    case 3:
        return ListKind::UpperAlpha;
    case 4:
        return ListKind::LowerAlpha;
    case 255:
        return ListKind::None;
    default:
        return ListKind::Bullet;
    }
}

ListKind markerKind(QString marker)
{
    while (!marker.isEmpty() && (marker[0] == u'(' || marker[0] == u'['))
        marker.remove(0, 1); // "(a)"
    if (marker.isEmpty())
        return ListKind::Bullet;
    const QChar c = marker[0];
    if (c.isDigit())
        return ListKind::Decimal;
    if (c.isLetter() && c.unicode() < 0x80) {
        QString letters;
        for (QChar m : marker) {
            if (!m.isLetter())
                break;
            letters += m;
        }
        const bool roman =
            letters.size() > 1 &&
            letters.toLower().count(u'i') + letters.toLower().count(u'v') + letters.toLower().count(u'x') ==
                letters.size();
        if (c.isLower())
            return roman || letters == u"i" ? ListKind::LowerRoman : ListKind::LowerAlpha;
        return roman || letters == u"I" ? ListKind::UpperRoman : ListKind::UpperAlpha;
    }
    return ListKind::Bullet;
}

qint64 wordListKey(int listId, int level)
{
    return (static_cast<qint64>(listId) << 4) | level;
}

QString numberText(int n, ListKind kind)
{
    if (n <= 0 || kind == ListKind::Decimal || kind == ListKind::Bullet || kind == ListKind::None)
        return QString::number(n);
    if (kind == ListKind::LowerAlpha || kind == ListKind::UpperAlpha) {
        QString out;
        for (; n > 0; n = (n - 1) / 26)
            out.prepend(QChar(u'a' + (n - 1) % 26));
        return kind == ListKind::UpperAlpha ? out.toUpper() : out;
    }
    static const std::pair<int, const char*> roman[] = {
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
        {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
    QString out;
    for (const auto& [value, letters] : roman)
        for (; n >= value; n -= value)
            out += QLatin1String(letters);
    return kind == ListKind::UpperRoman ? out.toUpper() : out;
}

void Reader::applyList()
{
    ListKind kind = m_s.par.list;
    QString prefix, suffix;
    int start = 1;
    int level = m_s.par.level;
    bool defined = false;
    const ListDefinition* definition = nullptr;
    ListLevel own;
    if (m_s.par.ls > 0) {
        const auto id = m_overrides.constFind(m_s.par.ls);
        const auto def = std::find_if(m_listDefinitions.begin(), m_listDefinitions.end(), [&](const auto& d) {
            return id != m_overrides.constEnd() && d.id == *id;
        });
        if (def != m_listDefinitions.end()) {
            const ListLevel l =
                def->levels.empty()
                    ? ListLevel()
                    : def->levels[std::min<size_t>(std::max(level, 0), def->levels.size() - 1)];
            kind = l.kind;
            prefix = l.prefix;
            suffix = l.suffix;
            start = l.start;
            level = std::max(level, 0);
            defined = true;
            definition = &*def;
            own = l;
        }
    }
    // The marker text shows whether the list is numbered; a numbered definition says how.
    if (kind != ListKind::None && m_markerKind != ListKind::None &&
        (kind == ListKind::Bullet || m_markerKind == ListKind::Bullet || m_markerKind == ListKind::Decimal) &&
        !defined)
        kind = m_markerKind;
    if (!defined && !m_markerSuffix.isEmpty()) {
        prefix = m_markerPrefix;
        suffix = m_markerSuffix;
    }
    if (!defined)
        start = m_s.par.start;
    m_markerKind = ListKind::None;
    m_markerSuffix.clear();
    m_markerPrefix.clear();
    if (kind == ListKind::None) {
        if (m_lists.empty())
            return; // the block was made outside any list
        if (QTextList* l = m_cursor.block().textList())
            l->remove(m_cursor.block());
        m_lists.clear();
        return;
    }
    const int li = m_s.par.li;
    size_t depth = 0;
    if (level >= 0) {
        depth = static_cast<size_t>(std::min(level, 8));
    } else {
        // Without a level the indent tells: deeper than the open list nests, shallower returns.
        while (depth < m_lists.size() && m_lists[depth].li < li)
            ++depth;
    }
    depth = std::min(depth, m_lists.size());
    m_lists.resize(std::min(m_lists.size(), depth + 1), OpenList{nullptr, ListKind::None, 0, 0});
    // An item of a Word list starts its deeper levels again, as word processors number them.
    if (defined)
        for (int k = static_cast<int>(depth) + 1; k < 9; ++k)
            m_wordLists.remove(wordListKey(definition->id, k));
    if (depth < m_lists.size() && m_lists[depth].list && m_lists[depth].kind == kind &&
        m_lists[depth].ls == m_s.par.ls) {
        m_lists[depth].list->add(m_cursor.block());
        return;
    }
    // A Word list numbers on across the paragraphs between its items, as word processors show it.
    const qint64 key = defined ? wordListKey(definition->id, static_cast<int>(depth)) : 0;
    if (defined) {
        const QPointer<QTextList> earlier = m_wordLists.value(key);
        if (earlier && earlier->format().style() == listStyle(kind)) {
            earlier->add(m_cursor.block());
            m_lists.resize(depth + 1, OpenList{nullptr, ListKind::None, 0, 0});
            m_lists[depth] = OpenList{earlier, kind, li, m_s.par.ls};
            return;
        }
    }
    if (defined && !own.text.isEmpty())
        levelMarker(*definition, own, level, prefix, suffix);
    QTextListFormat lf;
    lf.setStyle(listStyle(kind));
    lf.setIndent(static_cast<int>(depth) + 1);
    if (kind != ListKind::Bullet) {
        lf.setNumberPrefix(prefix);
        lf.setNumberSuffix(suffix.isEmpty() && !defined ? QStringLiteral(".") : suffix);
        if (start != 1)
            lf.setProperty(rtfprop::kListStart, start);
    }
    const OpenList open{m_cursor.createList(lf), kind, li, m_s.par.ls};
    if (defined)
        m_wordLists.insert(key, open.list);
    if (depth < m_lists.size())
        m_lists[depth] = open;
    else
        m_lists.push_back(open);
}

// The text around a level's own number, with the numbers its outer levels have at this item ("Sect 2." of
// "Sect 2.1" under chapter II): a list of the level starts again after each outer item, so the text stays.
void Reader::levelMarker(const ListDefinition& def, const ListLevel& own, int level, QString& prefix,
                         QString& suffix) const
{
    QString before, after;
    bool seen = false;
    for (const QChar c : own.text) {
        QString& out = seen ? after : before;
        const int k = c.unicode();
        if (k >= 9) {
            out += c;
        } else if (k == level) {
            seen = true;
        } else if (k < level) {
            const QPointer<QTextList> outer = m_wordLists.value(wordListKey(def.id, k));
            if (!outer || outer->count() == 0)
                continue;
            const QTextListFormat f = outer->format();
            const int n = (f.hasProperty(rtfprop::kListStart) ? f.intProperty(rtfprop::kListStart) : 1) +
                          outer->count() - 1;
            const ListKind outerKind = def.levels[std::min<size_t>(k, def.levels.size() - 1)].kind;
            out += numberText(n, own.legal ? ListKind::Decimal : outerKind);
        }
    }
    if (seen) {
        prefix = before;
        suffix = after;
    }
}

void Reader::finishLevelText()
{
    if (m_listDefinitions.empty() || m_listDefinitions.back().levels.empty())
        return;
    ListLevel& l = m_listDefinitions.back().levels.back();
    // The first byte counts the characters; bytes below 9 stand for the numbers of levels.
    const QString text = rtfcodepage::decode(m_levelText, m_s.codePage);
    const QString body =
        text.mid(1, std::max<int>(0, std::min<int>(text.size() - 1, text.isEmpty() ? 0 : text[0].unicode())));
    qsizetype first = -1, last = -1;
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body[i].unicode() < 9) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first >= 0) {
        l.prefix = body.left(first);
        l.suffix = body.mid(last + 1);
        l.text = body;
    }
    m_levelText.clear();
}

void Reader::listWord(int id, int v)
{
    if (m_s.dest == Dest::PnDefinition) {
        static const ListKind kinds[] = {ListKind::Decimal,    ListKind::LowerAlpha, ListKind::UpperAlpha,
                                         ListKind::LowerRoman, ListKind::UpperRoman, ListKind::Bullet};
        if (id >= LPnDecimal && id <= LPnBullet)
            m_pnKind = kinds[id - LPnDecimal];
        else if (id == LLevelStart)
            m_pnStart = std::clamp(v, 0, 32767);
        return;
    }
    if (m_s.dest == Dest::ListOverrideTable) {
        if (id == LOverrideLs) {
            m_overrideLs = 0;
            m_overrideId = 0;
        } else if (id == LListId) {
            m_overrideId = v;
        }
        return;
    }
    if (id == LList && m_listDefinitions.size() < 4096)
        m_listDefinitions.emplace_back();
    if (m_listDefinitions.empty())
        return;
    ListDefinition& def = m_listDefinitions.back();
    if (id == LListId)
        def.id = v;
    else if (id == LLevel && def.levels.size() < 9)
        def.levels.emplace_back();
    else if (id == LLevelNfc && !def.levels.empty())
        def.levels.back().kind = nfcKind(v);
    else if (id == LLevelLegal && !def.levels.empty())
        def.levels.back().legal = v != 0;
    else if (id == LLevelStart && !def.levels.empty())
        def.levels.back().start = std::clamp(v, 0, 32767);
}

} // namespace rtfread
