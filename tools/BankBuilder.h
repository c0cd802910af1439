#pragma once

#include "tools/BankSource.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tools {

// Checks that the content hangs together (codes, parents, ids, answers, links); returns the problems.
QStringList validateBankSource(const BankSource& src);

// Writes a new bank file from the content, computing the stored counters. plain: no password (upgrade
// files). The file appears only when everything was written; returns false with errors otherwise.
bool buildBank(const BankSource& src, const QString& outPath, bool plain, QStringList* errors);

// An author's text (light Markdown) as the stored rich text.
QByteArray authorTextToRichText(const QString& text);

} // namespace tools
