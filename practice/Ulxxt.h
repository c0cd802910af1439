#pragma once

#include "practice/PracticeWindow.h"

// The chapter practice window: works through the practice set the chapter navigator chose.
class TFrmLxxt : public PracticeWindow {
    Q_OBJECT

public:
    explicit TFrmLxxt(QWidget* parent = nullptr) : PracticeWindow(PracticeOptions{}, parent) {
        setObjectName(QStringLiteral("FrmLxxt"));
        setWindowTitle(QStringLiteral("章节练习"));
    }
};
