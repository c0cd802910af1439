#pragma once

#include "tools/BankRecount.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace store {
class Database;
}

namespace tools {

struct CheckProblem {
    enum class Severity { Error, Warning };
    Severity severity = Severity::Error;
    QString topic; // the rule that found it: "answer", "link", "counter", "draw", ...
    QString text;
};

struct CheckOptions {
    // An upgrade file: its rows may hang on chapters, catalogue rows, exam points and groups that only the
    // learner's bank holds, and it has no question types or settings of its own.
    bool upgrade = false;
    // The bank the program ships: every question it holds has an explanation and an exam point.
    bool delivered = false;
    // A learner's bank checked from the program: the authors' quality figures are left out.
    bool learner = false;
};

// What a check found. A rule that fires very often keeps its first problems and counts the rest.
class CheckReport {
public:
    static constexpr int KeptPerTopic = 25;

    void add(CheckProblem::Severity severity, const QString& topic, const QString& text);
    void error(const QString& topic, const QString& text) { add(CheckProblem::Severity::Error, topic, text); }
    void warning(const QString& topic, const QString& text) {
        add(CheckProblem::Severity::Warning, topic, text);
    }

    const QList<CheckProblem>& problems() const { return m_problems; }
    int errorCount() const { return m_errors; }
    int warningCount() const { return m_warnings; }
    bool hasErrors() const { return m_errors > 0; }
    // True when a kept problem of this topic and severity mentions the fragment.
    bool has(const QString& topic, const QString& fragment,
             CheckProblem::Severity severity = CheckProblem::Severity::Error) const;
    // One line per problem ("error: answer: ..."), then what was left out.
    QStringList lines() const;
    // What was counted along the way (the candidates of every share), for authors who want to see it.
    QStringList notes;
    // The figures of answer cues, repeats and room in the shares (lines of the "quality" section); its
    // findings are problems of the topics "quality" and "headroom".
    QStringList quality;
    // Every stored counter that differs from its recount, as the counter step found it.
    QList<CounterDrift> drift;

private:
    QList<CheckProblem> m_problems;
    QMap<QString, int> m_leftOut; // "error: topic" -> problems not kept
    int m_errors = 0;
    int m_warnings = 0;
};

// Why a stored rich text would not show whole (zero bytes, cut short, unreadable characters); empty when
// it reads cleanly.
QString DamageOf(const QByteArray& blob);

// Checks a bank that is open on db; reads only. Every rule that the content and the program rely on:
// the engine's integrity check, the tables' columns, answer keys, the chapter tree, the catalogue and
// exam points with their links, stems, groups, the stored counters against a recount and the candidates
// of every share of the draw plan.
CheckReport checkBank(store::Database& db, const CheckOptions& options = {});

// Opens the file (with the bank key, or none when plain), refuses every write on the connection and
// checks it. A file that does not open is one error.
CheckReport checkBankFile(const QString& path, bool plain, const CheckOptions& options = {});

} // namespace tools
