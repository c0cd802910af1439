#include "practice/uRulelxxt.h"

PracticeOptions ExamPointPracticeOptions() {
    PracticeOptions o;
    o.voidCaption = QStringLiteral("本题作废");
    o.emptyAnswerText = QStringLiteral("题还没做呢！");
    o.canEditQuestion = false;
    o.showsEditedLine = false;
    o.setsHintBoard = false;
    o.labelsSubjectivePage = false;
    return o;
}

TFrmRuleLxxt::TFrmRuleLxxt(QWidget* parent) : PracticeWindow(ExamPointPracticeOptions(), parent) {
    setObjectName(QStringLiteral("FrmRuleLxxt"));
    // No caption: the hint board names the exam point. A blank, because the window system shows the
    // program's file name in a caption that is quite empty.
    setWindowTitle(QStringLiteral(" "));
}
