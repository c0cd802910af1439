#pragma once

#include <QString>
#include <QUrl>

namespace richtext::detail {

// Names the reader gives the pictures it adds to a document.
inline QString readerPictureName(int number) {
    return QStringLiteral("rtf-picture-%1").arg(number);
}

inline bool isReaderPicture(const QUrl& name) {
    return name.path().startsWith(QLatin1String("rtf-picture-"));
}

// The reader keeps a picture's original PNG or JPEG bytes beside the decoded image, under this
// name, so that writing the document again does not have to encode the picture anew.
inline QUrl pictureSourceUrl(const QUrl& imageName) {
    QUrl url = imageName;
    url.setFragment(QStringLiteral("rtf-source"));
    return url;
}

} // namespace richtext::detail
