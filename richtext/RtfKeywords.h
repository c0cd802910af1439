#pragma once

#include <QByteArrayView>

namespace richtext::detail {

// The control words the reader acts on. Words not listed are ignored, their text kept.
// One line per group of keywords reads better than one per keyword.
// clang-format off
enum Keyword : unsigned char {
    KwUnknown,
    // document
    KwAnsi, KwMac, KwPc, KwPca, KwAnsiCpg, KwDeff,
    // destinations
    KwFontTable, KwColorTable, KwPict, KwShpPict, KwSkipDestination,
    // fonts and colours
    KwF, KwFCharset, KwCpg, KwRed, KwGreen, KwBlue,
    // character formats
    KwB, KwI, KwUl, KwUlNone, KwStrike, KwSub, KwSuper, KwNoSuperSub, KwFs, KwCf, KwCb, KwHighlight,
    KwPlain, KwV, KwLoch, KwHich, KwDbch, KwAf, KwRtlch, KwLtrch, KwDn, KwUp,
    // associated properties of the text class \loch, \hich, \dbch or \rtlch last named
    KwAb, KwAi, KwAfs,
    // paragraphs
    KwPar, KwPard, KwLine, KwTab, KwQl, KwQc, KwQr, KwQj, KwLi, KwRi, KwFi, KwSb, KwSa, KwSl, KwSlMult,
    KwPage, KwSect, KwTx, KwTqr, KwTqc, KwTqDec, KwTb,
    // footnotes and their automatic number
    KwFootnote, KwChFtn,
    // tables
    KwIntbl, KwItap, KwTrowd, KwCellx, KwCell, KwRow, KwNestCell, KwNestRow,
    // unicode
    KwU, KwUc,
    // a word that stands for one character (\emdash, \bullet ...)
    KwCharacter,
    // pictures
    KwPicW, KwPicH, KwPicWGoal, KwPicHGoal, KwPicScaleX, KwPicScaleY, KwPngBlip, KwJpegBlip, KwOtherBlip,
};
// clang-format on

struct KeywordInfo {
    Keyword keyword = KwUnknown;
    char16_t character = 0; // for KwCharacter
};

KeywordInfo lookUpKeyword(QByteArrayView word);

} // namespace richtext::detail
