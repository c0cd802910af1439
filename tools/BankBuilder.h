#pragma once

#include "tools/BankSource.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tools {

struct BaseBank;

struct BuildOptions {
    bool plain = false;   // no password (upgrade files)
    bool upgrade = false; // new rows for a learner's bank: chapters, points and catalogue sections they
                          // hang on may be in that bank instead of in the source
    // The bank an upgrade is made for: what the rows hang on must be there, nothing may be there
    // already, and new rows are ordered after their siblings there.
    const BaseBank* base = nullptr;
};

// Checks that the content hangs together (codes, parents, ids, answers, links); returns the problems.
// An upgrade's rows are checked against base when there is one, otherwise taken on trust where they
// refer to rows outside the source.
QStringList validateBankSource(const BankSource& src, bool upgrade = false, const BaseBank* base = nullptr);

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
