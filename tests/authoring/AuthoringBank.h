#pragma once

// The bank the authoring tests build: the small syllabus with a fill-in and a subjective type, more exam
// points under two sections, and a case group.
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QString>
#include <QWidget>

namespace testsupport {

inline QString authoringBank() {
    QString text = baseContent();
    text.replace(
        QStringLiteral("66 | 不定项选择题 | 1 | 2 | 2\n"),
        QStringLiteral("66 | 不定项选择题 | 1 | 2 | 2\n62 | 案例单选题 | 0 | 2 | 1\n70 | 判断题 | 0 | 1 | 1\n"
                       "67 | 填空题 | 0 | 1 | 1\n71 | 简答 | 0 | 10 | 10\n"));
    text += smallSyllabus();
    for (int i = 3; i <= 6; ++i)
        text += QStringLiteral("[point 050101-00%1]\ntitle: 要点%1\ntext: |\n  内容%1\n").arg(i);
    for (int i = 2; i <= 4; ++i)
        text += QStringLiteral("[point 050102-00%1]\ntitle: 条文%1\ntext: |\n  内容%1\n").arg(i);
    text += QStringLiteral(
        "[question Q0006]\nchapter: 050102\ntype: 71\noptions: 1\nanswer: 1\nstem: |\n  简答题\n"
        "explain: |\n  参考答案\n"
        "[question Q0007]\nchapter: 050102\ntype: 65\noptions: 5\nanswer: AB\n"
        "points: 050101-001, 050101-002, 050102-001\nstem: |\n  三个考点的题\n"
        "[group CASE000000000001]\nstem: |\n  某单位的网络管理员发现异常。\n"
        "[question CASE000000000001-1]\nchapter: 050101\ntype: 62\noptions: 4\nanswer: C\n"
        "stem: |\n  最先应当采取的措施是：\n");
    return text;
}

// Types text the way a Chinese input method (fcitx, ibus) delivers it: a composition shown under the
// cursor, then the committed characters.
inline void typeWithInputMethod(QWidget* field, const QString& text) {
    QInputMethodEvent composing(QStringLiteral("pinyin"), {});
    QApplication::sendEvent(field, &composing);
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(field, &commit);
}

} // namespace testsupport
