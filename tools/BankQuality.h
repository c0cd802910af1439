#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace tools {

class CheckReport;

// What one question shows a learner who guesses from the form of the options alone.
struct QuestionFacts {
    QString id;
    int type = 0;
    int options = 0;     // the count the question declares
    QString key;         // "B", "ACD"; judgements "A" or "B"
    QStringList choices; // option texts as printed after "A." ...; empty when they cannot be read
    bool explained = false;
    bool linked = false; // names at least one exam point
};

// A share of a paper kind and the questions it can draw from.
struct ShareRoom {
    int kind = 0;
    int type = 0;
    QString prefix;
    int count = 0; // drawn into a paper
    qint64 candidates = 0;
};

// The option texts of a stem's plain text (paragraphs separated by '\n'): the last run of paragraphs
// "A. ...", "B. ...", ... in letter order, exactly `options` of them, or nothing. A paragraph that is
// no option continues the option before it.
QStringList optionTexts(const QString& plain, int options);

// Counts the answer cues of a bank from its questions, fed in listing order, and writes the "quality"
// section: figures always, warnings where a figure is far from what chance gives.
class QualityCounter {
public:
    // Smallest number of cases a figure needs before it is judged.
    static constexpr int MinSample = 10;

    explicit QualityCounter(QHash<int, QString> typeNames) : m_typeNames(std::move(typeNames)) {}

    // Whether the figures read the option texts of this type (the caller need not read them otherwise).
    static bool readsOptions(int type);

    void add(const QuestionFacts& q);
    // `delivered`: a question without an explanation or exam point is an error, not a warning.
    void finish(const QList<ShareRoom>& shares, bool delivered, CheckReport& report) const;

    // The figures by type, for tests and for the section's lines.
    struct TypeFigures {
        int questions = 0;
        int longestSample = 0, longestKeyed = 0; // questions with one option uniquely longest
        double longestChance = 0;                // sum over them of key size / options
        int clearSample = 0, clearKeyed = 0;     // the longest at least 1.5 times the next
        QMap<QChar, int> letters;                // questions keying each letter
        int letterSample = 0;                    // questions whose key letters are counted
        QMap<QChar, double>
            letterChance;             // single answers: questions that could key each letter, by 1/options
        int fourOptions = 0;          // multiple choice: questions with four options
        QMap<QChar, int> fourLetters; // ... keying each letter
        QMap<int, int> sizes;         // key sizes of multiple choice
        int allButLast = 0;           // keys of every option but the last
        int oneShort = 0;             // keys of every option but one
        int pairs = 0, repeats = 0;   // consecutive questions of the type, sharing a key
        QMap<QString, int> keys;      // how often each whole key occurs
    };
    const QMap<int, TypeFigures>& figures() const { return m_types; }
    int absoluteOptions() const { return m_absolute; }
    int absoluteKeyed() const { return m_absoluteKeyed; }
    int otherOptions() const { return m_other; }
    int otherKeyed() const { return m_otherKeyed; }
    // Questions without an explanation or without an exam point: how many, and the first ids.
    struct Missing {
        qint64 count = 0;
        QStringList ids;
    };
    static constexpr int KeptIds = 100;
    const Missing& unexplained() const { return m_unexplained; }
    const Missing& unlinked() const { return m_unlinked; }

private:
    QString typeName(int type) const;

    QHash<int, QString> m_typeNames;
    QMap<int, TypeFigures> m_types;
    QHash<int, QString> m_lastKey; // type -> key of the question listed before
    int m_absolute = 0, m_absoluteKeyed = 0, m_other = 0, m_otherKeyed = 0;
    Missing m_unexplained, m_unlinked;
};

// Words that make a statement absolute; test-wise learners take options with them to be wrong.
const QStringList& absoluteWords();

} // namespace tools
