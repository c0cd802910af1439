#pragma once

#include <QString>

namespace tools {

// Type names that mark a subjective type: no option letters, one option, answer "1".
bool isSubjectiveTypeName(const QString& name);
// Types 71..74 are the answer-hidden ones; any other type is subjective when its name says so.
bool isSubjectiveType(int type, const QString& name);

// What is wrong with the answer key of a question of this type with this many options, or an empty
// text when the key fits: letters of the options in order for choice types (61 and 62 exactly one,
// 64 and 65 at least two), "A" or "B" for judgements (70), "1" with one option for subjective types.
QString answerKeyProblem(int type, bool subjective, const QString& answer, int options);

} // namespace tools
