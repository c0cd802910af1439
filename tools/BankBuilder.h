#pragma once

#include "tools/BankSource.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tools {

struct BuildOptions {
    bool plain = false;   // no password (upgrade files)
    bool upgrade = false; // new rows for a learner's bank: chapters, points and catalogue sections they
                          // hang on may be in that bank instead of in the source
};

// Checks that the content hangs together (codes, parents, ids, answers, links); returns the problems.
QStringList validateBankSource(const BankSource& src, bool upgrade = false);

// Writes a new bank file from the content, computing the stored counters. The file appears only when
// everything was written; returns false with errors otherwise.
bool buildBank(const BankSource& src, const QString& outPath, const BuildOptions& options,
               QStringList* errors);
bool buildBank(const BankSource& src, const QString& outPath, bool plain, QStringList* errors);

// Display order (bh) of the n-th row (from 0) of the chapter tree or the catalogue: steps of ten leave
// room for the rows an upgrade slips in between.
inline int defaultOrder(int index) {
    return (index + 1) * 10;
}

// An author's text (light Markdown) as the stored rich text.
QByteArray authorTextToRichText(const QString& text);

} // namespace tools
