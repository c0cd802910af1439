#pragma once

#include <QImage>
#include <QList>
#include <QString>

namespace picgen {

enum class Kind { QuestionTile, TypeTab };
enum class Mark { None, Check, Cross, Pen };

struct Picture {
    QString fileName;
    Kind kind;
    bool pressed;
    Mark mark;
    // Light and dark ends of the face gradient, and the border.
    QRgb light;
    QRgb dark;
    QRgb border;
};

// Every picture the program loads from pic/.
QList<Picture> allPictures();

// The picture as a 24-bit image (no alpha: the corners carry the windows' background colour).
QImage render(const Picture& picture);

} // namespace picgen
