#pragma once

#include <QList>
#include <QString>

namespace store {

// One share of a mock paper: `count` questions of type `type` drawn from the chapters whose code begins
// with `prefix`.
struct DrawShare {
    int kind;
    int type;
    const char* prefix;
    int count;
};

inline constexpr int PaperKindCount = 5;

// Every share of every paper kind, kinds in order and each kind's shares in the order they are drawn.
const QList<DrawShare>& DrawPlan();
// The shares of one paper kind, in drawing order.
QList<DrawShare> DrawShares(int kind);
// Questions of one type in a full paper of a kind (0 when the kind draws none of that type).
int DrawTotal(int kind, int type);
// Questions in a full paper of a kind.
int PaperQuestionCount(int kind);
// The type ids a kind draws, in the order they first appear in its shares.
QList<int> DrawTypes(int kind);
// The condition on the chapter code A10 that selects a kind's candidates, as it is written into the
// candidate query: "(Left(A10,1) = '3') and".
QString ChapterClause(int kind);

} // namespace store
