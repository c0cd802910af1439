#pragma once

#include <QPixmap>
#include <QString>

// A question's state on its number button in a practice.
enum class QuestionState { NotAnswered, Right, Wrong };

// Not answered when the answer given in this practice (E2_1) is empty, right when it equals the
// key (A2), wrong otherwise.
QuestionState QuestionStateFor(const QString& givenAnswer, const QString& key);

// The pictures of the question-number buttons and the type tabs, delivered under pic/ next to the
// program. The buttons draw their number over the picture.
struct QuestionPictures {
    QPixmap up;        // mivoup.bmp: not answered
    QPixmap down;      // mivodw.bmp: not answered, pressed
    QPixmap right;     // mivoyes.bmp
    QPixmap rightDown; // mivodw_r.bmp
    QPixmap wrong;     // mivono.bmp
    QPixmap wrongDown; // mivodw_w.bmp
    QPixmap answered;  // mivoover.bmp: answered in an exam, not marked yet
    QPixmap tabUp;     // mivotxup.bmp
    QPixmap tabDown;   // mivotxdw.bmp

    // Loads the seven question-button pictures from folder (ProgramFolder + "pic/" when empty).
    // False when one cannot be read; *missing then names its path and the pictures held before stay
    // as they were.
    bool load(QString* missing = nullptr, const QString& folder = QString());
    // The same for the two type-tab pictures.
    bool loadTabPictures(QString* missing = nullptr, const QString& folder = QString());

    QPixmap normalFor(QuestionState state) const;
    QPixmap pressedFor(QuestionState state) const;

    static QString defaultFolder();
};

// What a practice or exam window does when its pictures are missing: the error prompt, then the
// program ends at once.
[[noreturn]] void EndForMissingPictures();
