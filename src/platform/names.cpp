#include "platform/names.h"

#include "platform/codepage.h"

namespace names {

Problem check(QStringView name)
{
    if (name.trimmed().isEmpty())
        return Problem::Empty;
    if (name == u"." || name == u"..")
        return Problem::DotName;
    // Such a folder would never be listed again: the user's things would vanish with it.
    if (name.startsWith(u'!'))
        return Problem::Reserved;
    for (QChar c : name) {
        if (c == u'/' || c == u'\\')
            return Problem::Separator;
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || (c.unicode() >= 0x80 && c.unicode() < 0xA0))
            return Problem::Control;
        if (c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|' || c == u'?' || c == u'*')
            return Problem::ReservedChar;
    }
    if (!cp1251::canEncode(name))
        return Problem::NotInCodePage;
    if (name.toUtf8().size() > 255)
        return Problem::TooLong;
    return Problem::None;
}

QString messageKey(Problem p)
{
    switch (p) {
    case Problem::None:
        return QString();
    case Problem::Empty:
        return QStringLiteral("n1");
    case Problem::DotName:
        return QStringLiteral("n2");
    case Problem::Separator:
        return QStringLiteral("n3");
    case Problem::Control:
        return QStringLiteral("n4");
    case Problem::NotInCodePage:
        return QStringLiteral("n5");
    case Problem::ReservedChar:
        return QStringLiteral("n6");
    case Problem::TooLong:
        return QStringLiteral("n7");
    case Problem::Reserved:
        return QStringLiteral("n8");
    }
    return QString();
}

} // namespace names
