#include "rtf/rtfcontrolwords.h"

namespace rtfread {

const std::unordered_map<std::string_view, Keyword>& keywords()
{
    static const std::unordered_map<std::string_view, Keyword> table = [] {
        std::unordered_map<std::string_view, Keyword> t;
        auto dest = [&](std::initializer_list<const char*> words, Dest d) {
            for (const char* w : words)
                t[w] = {Kw::Dest, static_cast<int>(d)};
        };
        dest({"fonttbl"}, Dest::FontTable);
        dest({"colortbl"}, Dest::ColorTable);
        dest({"pict"}, Dest::Picture);
        dest({"fldinst"}, Dest::FieldInstruction);
        dest({"fldrslt"}, Dest::FieldResult);
        dest({"pntext", "listtext"}, Dest::ListText);
        dest({"pn"}, Dest::PnDefinition);
        dest({"listtable"}, Dest::ListTable);
        dest({"leveltext"}, Dest::LevelText);
        dest({"listoverridetable"}, Dest::ListOverrideTable);
        dest({"footnote", "annotation", "atnid", "atnauthor"}, Dest::Kept);
        dest({"header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr", "footerf", "info"},
             Dest::PageKept);
        dest({"field", "shppict", "shp", "shpinst", "shptxt", "object", "result", "nesttableprops"},
             Dest::Inner);
        // Shapes in groups, and Word 6/95 drawing objects: their text boxes' text is shown.
        dest({"shpgrp", "do", "dpgroup", "dptxbx", "dptxbxtext", "sp"}, Dest::Inner);
        dest({"sn"}, Dest::ShapeName);
        dest({"sv"}, Dest::ShapeValue);
        dest({"stylesheet",   "rsidtbl",      "generator",
              "xmlnstbl",     "pgdsctbl",     "themedata",    "colorschememapping",
              "latentstyles", "datastore",    "revtbl",       "filetbl",
              "mmathPr",      "pnseclvl",     "fldtype",      "bkmkstart",
              "bkmkend",      "nonshppict",   "nonesttables", "objdata",
              "objclass",     "objname",      "shprslt",
              "listname",     "levelnumbers", "listpicture",  "panose",
              "falt",         "ftnsep",       "ftnsepc",      "ftncn",
              "aftnsep",      "aftnsepc",     "aftncn",       "xe",
              "tc",           "txe",          "template",     "userprops",
              "docvar",       "pntxta",       "pntxtb",       "atrfstart",
              "atrfend",      "atnref",       "atndate",      "atnicn",
              "atntime",      "fname",        "wgrffmtfilter", "oldcprops",
              "oldpprops",    "oldtprops",    "oldsprops",    "protusertbl",
              "xmlopen",      "xmlclose",     "xmlattrname",  "xmlattrvalue"},
             Dest::Skip);
        auto rows = [&](Kw kind, std::initializer_list<std::pair<const char*, int>> list) {
            for (const auto& [w, id] : list)
                t[w] = {kind, id};
        };
        rows(Kw::Char, {{"plain", CPlain},
                        {"f", CFont},
                        {"fs", CSize},
                        {"b", CBold},
                        {"i", CItalic},
                        {"ul", CUnder},
                        {"uld", CUnder},
                        {"uldb", CUnder},
                        {"ulw", CUnder},
                        {"uldash", CUnder},
                        {"ulth", CUnder},
                        {"ulwave", CUnder},
                        {"uldashd", CUnder},
                        {"ulnone", CUnderNone},
                        {"strike", CStrike},
                        {"striked", CStrike},
                        {"cf", CFg},
                        {"highlight", CBg},
                        {"cb", CBg},
                        {"chcbpat", CBg},
                        {"super", CSuper},
                        {"sub", CSub},
                        {"nosupersub", CNoSuperSub},
                        {"up", CUp},
                        {"dn", CDown},
                        {"v", CHidden},
                        {"protect", CProtect}});
        rows(Kw::Par, {{"pard", PPard},
                       {"ql", PLeft},
                       {"qc", PCenter},
                       {"qr", PRight},
                       {"qj", PJustify},
                       {"fi", PFirst},
                       {"li", PLeftIndent},
                       {"ri", PRightIndent},
                       {"sb", PBefore},
                       {"sa", PAfter},
                       {"tx", PTab},
                       {"intbl", PInTable},
                       {"itap", PItap},
                       {"ls", PListOverride},
                       {"ilvl", PLevel}});
        rows(Kw::Insert, {{"line", 0x2028},
                          {"lbr", 0x2028},
                          {"tab", '\t'},
                          {"emdash", 0x2014},
                          {"endash", 0x2013},
                          {"emspace", 0x2003},
                          {"enspace", 0x2002},
                          {"qmspace", 0x2005},
                          {"bullet", 0x2022},
                          {"lquote", 0x2018},
                          {"rquote", 0x2019},
                          {"ldblquote", 0x201C},
                          {"rdblquote", 0x201D}});
        rows(Kw::Special, {{"par", SPar},
                           {"sect", SPage},
                           {"page", SPage},
                           {"column", SPage},
                           {"u", SUnicode},
                           {"uc", SUc},
                           {"ansicpg", SAnsiCpg},
                           {"mac", SMac},
                           {"pc", SPc},
                           {"pca", SPca},
                           {"deff", SDeff},
                           {"chftn", SFootnoteMark},
                           {"chatn", SCommentMark},
                           {"ftnstart", SNoteStart},
                           {"aftnstart", SEndnoteStart},
                           {"fldlock", SFieldLock},
                           {"pagebb", SPageBreakBefore},
                           {"sbknone", SSectionContinuous}});
        rows(Kw::Special, {{"ftnnar", SNoteArabic},
                           {"ftnnalc", SNoteLowerAlpha},
                           {"ftnnauc", SNoteUpperAlpha},
                           {"ftnnrlc", SNoteLowerRoman},
                           {"ftnnruc", SNoteUpperRoman},
                           {"aftnnar", SEndnoteArabic},
                           {"aftnnalc", SEndnoteLowerAlpha},
                           {"aftnnauc", SEndnoteUpperAlpha},
                           {"aftnnrlc", SEndnoteLowerRoman},
                           {"aftnnruc", SEndnoteUpperRoman}});
        for (const char* w : {"titlepg", "facingp", "margl", "margr", "margt", "margb", "paperw", "paperh",
                              "landscape", "gutter", "headery", "footery", "pgnstart", "pgnrestart", "pgndec",
                              "pgnucrm", "pgnlcrm", "pgnucltr", "pgnlcltr", "ftnrstpg", "ftnrestart",
                              "ftnrstcont", "aftnrestart", "aftnrstcont", "ftnbj", "ftntj", "aftnbj", "aftntj",
                              "enddoc", "aenddoc", "endnotes", "aendnotes"})
            t[w] = {Kw::Special, SPageWord};
        rows(Kw::Table, {{"trowd", TRowDefaults},
                         {"cellx", TCellX},
                         {"cell", TCell},
                         {"row", TRow},
                         {"nestcell", TNestCell},
                         {"nestrow", TNestRow}});
        for (const char* w : {"clbrdrt", "clbrdrb", "clbrdrl", "clbrdrr", "trbrdrt", "trbrdrb", "trbrdrl",
                              "trbrdrr", "trbrdrh", "trbrdrv"})
            t[w] = {Kw::Table, TBorderSide};
        for (const char* w : {"brdrs", "brdrth", "brdrsh", "brdrdb", "brdrdot", "brdrdash", "brdrhair",
                              "brdrinset", "brdroutset", "brdrtriple", "brdrwavy"})
            t[w] = {Kw::Table, TBorderStyle};
        rows(Kw::List, {{"list", LList},
                        {"listid", LListId},
                        {"listlevel", LLevel},
                        {"levelnfc", LLevelNfc},
                        {"levelnfcn", LLevelNfc},
                        {"levelstartat", LLevelStart},
                        {"levellegal", LLevelLegal},
                        {"pnstart", LLevelStart},
                        {"listoverride", LOverrideLs},
                        {"pndec", LPnDecimal},
                        {"pnlcltr", LPnLowerAlpha},
                        {"pnucltr", LPnUpperAlpha},
                        {"pnlcrm", LPnLowerRoman},
                        {"pnucrm", LPnUpperRoman},
                        {"pnlvlblt", LPnBullet}});
        rows(Kw::Font, {{"fcharset", FCharset}, {"cpg", FCodePage}});
        rows(Kw::Color, {{"red", CRed}, {"green", CGreen}, {"blue", CBlue}});
        rows(Kw::Pict, {{"pngblip", XPng},
                        {"jpegblip", XJpeg},
                        {"picw", XWidth},
                        {"pich", XHeight},
                        {"picwgoal", XWidthGoal},
                        {"pichgoal", XHeightGoal},
                        {"picscalex", XScaleX},
                        {"picscaley", XScaleY},
                        {"wmetafile", XRawKind},
                        {"emfblip", XRawKind},
                        {"macpict", XRawKind},
                        {"dibitmap", XRawKind},
                        {"wbitmap", XRawKind},
                        {"pmmetafile", XRawKind}});
        return t;
    }();
    return table;
}

// Control characters (NUL and the like, from damaged files or \\u escapes) are no text: they would show
// as nothing and could not be written back.

} // namespace rtfread
