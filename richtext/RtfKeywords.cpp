#include "richtext/RtfKeywords.h"

#include <string_view>
#include <unordered_map>

namespace richtext::detail {

namespace {

// clang-format off
const std::unordered_map<std::string_view, KeywordInfo>& keywords() {
    static const std::unordered_map<std::string_view, KeywordInfo> table = [] {
        std::unordered_map<std::string_view, KeywordInfo> t{
            {"ansi", {KwAnsi}}, {"mac", {KwMac}}, {"pc", {KwPc}}, {"pca", {KwPca}}, {"ansicpg", {KwAnsiCpg}},
            {"deff", {KwDeff}}, {"fonttbl", {KwFontTable}}, {"colortbl", {KwColorTable}}, {"pict", {KwPict}},
            {"shppict", {KwShpPict}}, {"f", {KwF}}, {"fcharset", {KwFCharset}}, {"cpg", {KwCpg}},
            {"red", {KwRed}}, {"green", {KwGreen}}, {"blue", {KwBlue}}, {"b", {KwB}}, {"i", {KwI}},
            {"ul", {KwUl}}, {"ulnone", {KwUlNone}}, {"strike", {KwStrike}}, {"striked", {KwStrike}},
            {"sub", {KwSub}}, {"super", {KwSuper}}, {"nosupersub", {KwNoSuperSub}}, {"fs", {KwFs}},
            {"cf", {KwCf}}, {"cb", {KwCb}}, {"chcbpat", {KwCb}}, {"highlight", {KwHighlight}},
            {"plain", {KwPlain}}, {"v", {KwV}}, {"loch", {KwLoch}}, {"hich", {KwHich}}, {"dbch", {KwDbch}},
            {"af", {KwAf}}, {"rtlch", {KwRtlch}}, {"ltrch", {KwLtrch}}, {"dn", {KwDn}}, {"up", {KwUp}},
            {"ab", {KwAb}}, {"ai", {KwAi}}, {"afs", {KwAfs}}, {"tx", {KwTx}}, {"tqr", {KwTqr}},
            {"tqc", {KwTqc}}, {"tqdec", {KwTqDec}}, {"tb", {KwTb}}, {"footnote", {KwFootnote}},
            {"chftn", {KwChFtn}}, {"par", {KwPar}}, {"pard", {KwPard}}, {"line", {KwLine}}, {"tab", {KwTab}},
            {"ql", {KwQl}}, {"qc", {KwQc}}, {"qr", {KwQr}}, {"qj", {KwQj}}, {"qd", {KwQj}}, {"li", {KwLi}},
            {"lin", {KwLi}}, {"ri", {KwRi}}, {"rin", {KwRi}}, {"fi", {KwFi}}, {"sb", {KwSb}}, {"sa", {KwSa}},
            {"sl", {KwSl}}, {"slmult", {KwSlMult}}, {"page", {KwPage}}, {"sect", {KwSect}},
            {"column", {KwSect}}, {"intbl", {KwIntbl}}, {"itap", {KwItap}}, {"trowd", {KwTrowd}},
            {"cellx", {KwCellx}}, {"cell", {KwCell}}, {"row", {KwRow}}, {"nestcell", {KwNestCell}},
            {"nestrow", {KwNestRow}}, {"u", {KwU}}, {"uc", {KwUc}}, {"emdash", {KwCharacter, 0x2014}},
            {"endash", {KwCharacter, 0x2013}}, {"bullet", {KwCharacter, 0x2022}},
            {"lquote", {KwCharacter, 0x2018}}, {"rquote", {KwCharacter, 0x2019}},
            {"ldblquote", {KwCharacter, 0x201C}}, {"rdblquote", {KwCharacter, 0x201D}},
            {"emspace", {KwCharacter, 0x2003}}, {"enspace", {KwCharacter, 0x2002}},
            {"qmspace", {KwCharacter, 0x2005}}, {"zwj", {KwCharacter, 0x200D}},
            {"zwnj", {KwCharacter, 0x200C}}, {"picw", {KwPicW}}, {"pich", {KwPicH}},
            {"picwgoal", {KwPicWGoal}}, {"pichgoal", {KwPicHGoal}}, {"picscalex", {KwPicScaleX}},
            {"picscaley", {KwPicScaleY}}, {"pngblip", {KwPngBlip}}, {"jpegblip", {KwJpegBlip}},
            {"emfblip", {KwOtherBlip}}, {"wmetafile", {KwOtherBlip}}, {"dibitmap", {KwOtherBlip}},
            {"wbitmap", {KwOtherBlip}}, {"macpict", {KwOtherBlip}}, {"pmmetafile", {KwOtherBlip}},
        };
        // Underline styles all show as a plain underline.
        for (const char* style : {"uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash",
                                  "ulth", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash",
                                  "ululdbwave", "ulw", "ulwave"})
            t.emplace(style, KeywordInfo{KwUl});
        // Destinations whose text is not part of the document even without \*.
        for (const char* dest : {
                 "stylesheet", "info", "header", "headerl", "headerr", "headerf", "footer", "footerl",
                 "footerr", "footerf", "annotation", "atnid", "atnauthor", "atndate", "atrfstart",
                 "atrfend", "fldinst", "nonshppict", "xe", "tc", "txe", "rxe", "bkmkstart", "bkmkend",
                 "filetbl", "revtbl", "listtable", "listoverridetable", "rsidtbl", "generator", "author",
                 "title", "subject", "operator", "keywords", "comment", "doccomm", "company", "category",
                 "manager", "buptim", "creatim", "printim", "revtim", "template", "userprops", "private",
                 "pgdsctbl", "themedata", "colorschememapping", "latentstyles", "datastore", "xmlnstbl", "pn",
                 "pnseclvl", "ftnsep", "ftnsepc", "ftncn", "aftnsep", "aftnsepc", "aftncn", "objdata",
                 "objclass", "do", "nonesttables", "listpicture", "mmathPr", "fontemb", "fontfile", "falt",
                 "panose"})
            t.emplace(dest, KeywordInfo{KwSkipDestination});
        return t;
    }();
    return table;
}
// clang-format on

} // namespace

KeywordInfo lookUpKeyword(QByteArrayView word) {
    const auto& table = keywords();
    const auto it = table.find(std::string_view(word.data(), static_cast<size_t>(word.size())));
    return it == table.end() ? KeywordInfo{} : it->second;
}

} // namespace richtext::detail
