#pragma once

// The control words the reader knows: what each one is (a destination it opens, or the character,
// paragraph, table, list, font, colour or picture property it sets) and its number among its kind.
#include <cstdint>
#include <string_view>
#include <unordered_map>

namespace rtfread {

enum class Dest : uint8_t {
    Text,
    Skip,
    FontTable,
    ColorTable,
    Picture,
    FieldInstruction,
    FieldResult,
    ListText,
    PnDefinition,
    ListTable,
    LevelText,
    ListOverrideTable,
    Kept,     // kept whole at its place in the text (footnotes, comments)
    PageKept, // kept whole for the page (headers, footers)
    Inner,    // a wrapper whose inner groups are read (fields, shapes, objects)
    ShapeName,  // a shape property's name (\sn)
    ShapeValue, // its value (\sv): shown for the text of WordArt, passed over otherwise
};

// What a control word does: opens a destination, sets a character, paragraph, table, list, font,
// colour or picture property, inserts a character, or does something of its own.
enum class Kw : uint8_t { Dest, Char, Par, Insert, Special, Table, List, Font, Color, Pict };

enum CharProp {
    CPlain,
    CFont,
    CSize,
    CBold,
    CItalic,
    CUnder,
    CUnderNone,
    CStrike,
    CFg,
    CBg,
    CSuper,
    CSub,
    CNoSuperSub,
    CUp,
    CDown,
    CHidden,
    CProtect
};
enum ParProp {
    PPard,
    PLeft,
    PCenter,
    PRight,
    PJustify,
    PFirst,
    PLeftIndent,
    PRightIndent,
    PBefore,
    PAfter,
    PTab,
    PInTable,
    PItap,
    PListOverride,
    PLevel
};
enum Special {
    SFieldLock,
    SPar,
    SPage,
    SUnicode,
    SUc,
    SAnsiCpg,
    SMac,
    SPc,
    SPca,
    SDeff,
    SFootnoteMark,
    SCommentMark,
    // How footnotes (\ftnnar … \ftnnruc) and endnotes (\aftnnar … \aftnnruc) are numbered, in
    // the order of noteKinds
    SNoteArabic,
    SNoteLowerAlpha,
    SNoteUpperAlpha,
    SNoteLowerRoman,
    SNoteUpperRoman,
    SEndnoteArabic,
    SEndnoteLowerAlpha,
    SEndnoteUpperAlpha,
    SEndnoteLowerRoman,
    SEndnoteUpperRoman,
    SNoteStart,
    SEndnoteStart,
    // The page's layout, which the page does not show but a save writes back: first-page and
    // facing-page headers (\titlepg, \facingp), margins, paper size, how pages are numbered and where
    // notes stand and restart
    SPageWord,
    SPageBreakBefore,  // \pagebb: this paragraph begins a page
    SSectionContinuous // \sbknone: the section begins on the page where the one before ends
};
enum TableProp { TRowDefaults, TCellX, TCell, TRow, TNestCell, TNestRow, TBorderSide, TBorderStyle };
enum ListProp {
    LList,
    LListId,
    LLevel,
    LLevelNfc,
    LLevelStart,
    LLevelLegal,
    LOverrideLs,
    LPnDecimal,
    LPnLowerAlpha,
    LPnUpperAlpha,
    LPnLowerRoman,
    LPnUpperRoman,
    LPnBullet
};
enum FontProp { FCharset, FCodePage };
enum ColorProp { CRed, CGreen, CBlue };
enum PictProp { XPng, XJpeg, XWidth, XHeight, XWidthGoal, XHeightGoal, XScaleX, XScaleY, XRawKind };

struct Keyword {
    Kw kind;
    int id;
};

// The control words the reader knows. New constructs add rows here; a word not listed is passed
// over, and a destination not listed (\*\word) is skipped whole.
const std::unordered_map<std::string_view, Keyword>& keywords();

} // namespace rtfread
