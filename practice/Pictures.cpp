#include "practice/Pictures.h"

#include "store/dm.h"
#include "ui/Services.h"
#include "ui/Udlg.h"

#include <QDir>
#include <QImage>

#include <initializer_list>
#include <utility>

QuestionState QuestionStateFor(const QString& givenAnswer, const QString& key) {
    if (givenAnswer.isEmpty())
        return QuestionState::NotAnswered;
    return givenAnswer == key ? QuestionState::Right : QuestionState::Wrong;
}

namespace {

using Slot = std::pair<QPixmap*, const char*>;

bool loadAll(std::initializer_list<Slot> wanted, QString* missing, const QString& folder) {
    const QDir dir(folder.isEmpty() ? QuestionPictures::defaultFolder() : folder);
    QList<QPixmap> loaded;
    for (const Slot& s : wanted) {
        const QString path = dir.filePath(QString::fromLatin1(s.second));
        QImage image;
        // The format is given so that a file of another kind under this name is refused.
        if (!image.load(path, "BMP") || image.isNull()) {
            if (missing)
                *missing = path;
            return false;
        }
        loaded << QPixmap::fromImage(image);
    }
    qsizetype i = 0;
    for (const Slot& s : wanted)
        *s.first = loaded[i++];
    if (missing)
        missing->clear();
    return true;
}

} // namespace

QString QuestionPictures::defaultFolder() {
    return ProgramFolder + QStringLiteral("pic/");
}

bool QuestionPictures::load(QString* missing, const QString& folder) {
    return loadAll({{&up, "mivoup.bmp"},
                    {&down, "mivodw.bmp"},
                    {&right, "mivoyes.bmp"},
                    {&rightDown, "mivodw_r.bmp"},
                    {&wrong, "mivono.bmp"},
                    {&wrongDown, "mivodw_w.bmp"},
                    {&answered, "mivoover.bmp"}},
                   missing, folder);
}

bool QuestionPictures::loadTabPictures(QString* missing, const QString& folder) {
    return loadAll({{&tabUp, "mivotxup.bmp"}, {&tabDown, "mivotxdw.bmp"}}, missing, folder);
}

QPixmap QuestionPictures::normalFor(QuestionState state) const {
    switch (state) {
    case QuestionState::Right:
        return right;
    case QuestionState::Wrong:
        return wrong;
    case QuestionState::NotAnswered:
        break;
    }
    return up;
}

QPixmap QuestionPictures::pressedFor(QuestionState state) const {
    switch (state) {
    case QuestionState::Right:
        return rightDown;
    case QuestionState::Wrong:
        return wrongDown;
    case QuestionState::NotAnswered:
        break;
    }
    return down;
}

void EndForMissingPictures() {
    ShowPrompt(QStringLiteral("错误"), QStringLiteral("无法提取资源文件！"), 1, 2, QStringLiteral("NO"));
    EndProgramNow();
}
