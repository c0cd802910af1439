#pragma once

#include <QString>
#include <QStringList>

namespace tools {

struct SynthSummary {
    int chapters = 0; // rows of the chapter tree, subjects to sections
    int sections = 0;
    int points = 0;
    int groups = 0;
    int questions = 0;
};

// Writes a bank of n questions for load tests and benchmarks, shaped like the delivered one: four
// subjects with the parts the paper kinds draw from, chapters and sections, every question type in the
// proportions the draw plan needs, case questions in groups sharing a stem, an exam-point catalogue that
// mirrors the sections with points linked from most questions, explanations for most questions and the
// counters the builder would compute. The same n always gives the same bank.
bool synthBank(int n, const QString& outPath, bool plain, QStringList* errors,
               SynthSummary* summary = nullptr);

} // namespace tools
