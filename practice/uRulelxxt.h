#pragma once

#include "practice/PracticeWindow.h"

// What the exam-point practice does differently from the chapter practice: its own void caption and
// empty-answer notice, no editing, and a hint board and self-assessment label it leaves as they are.
PracticeOptions ExamPointPracticeOptions();

// The exam-point practice window: every question linked to one exam point, on the practice core. The
// exam-point browser writes the practice query, loads the set, puts the point's title on the hint board
// and shows it.
class TFrmRuleLxxt : public PracticeWindow {
    Q_OBJECT

public:
    explicit TFrmRuleLxxt(QWidget* parent = nullptr);
};
