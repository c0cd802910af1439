#pragma once

#include <QList>
#include <QString>

namespace store {
class Database;
}

namespace authoring {

// Answers are the letters A..F, so a question offers at most six options.
inline constexpr int MaxOptions = 6;
inline constexpr int MaxExamPoints = 10;
// Points the picker lets a question carry.
inline constexpr int MaxPickedPoints = 7;

// What an answer key of a type looks like.
enum class AnswerRule {
    Subjective, // no letters: one option and the answer "1"
    Single,     // one letter
    Multiple,   // two letters or more
    Letters,    // one letter or more (indefinite choice and types the names do not tell)
    Judgement,  // "A" right, "B" wrong
    Text,       // fill-in: the text itself
};

// Subjective types: 71..74, and every type named 简答, 主观, 论述, 案例分析, 名词解释, 查找错误, 综合 or
// 计算.
bool IsSubjectiveType(int typeId, const QString& name);
AnswerRule AnswerRuleFor(int typeId, const QString& name);

// The key to store for what the learner typed, or the reason it cannot be stored. Letters are put in
// order, each once; spaces and commas between them are dropped.
struct AnswerCheck {
    QString answer;
    QString problem; // empty when the key can be stored
};
AnswerCheck CheckAnswer(AnswerRule rule, const QString& typed, int options);

// The question types of a paper kind, in ascending code order (kinds outside 1..5 read as 1).
struct QuestionType {
    int id = 0;
    QString name;
};
QList<QuestionType> ReadQuestionTypes(store::Database& db, int kind);
// The name of a type in any kind's table, for a question whose type the current kind does not list.
QString TypeNameInAnyKind(store::Database& db, int typeId);

} // namespace authoring
