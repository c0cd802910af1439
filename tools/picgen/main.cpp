// Draws the question-button and type-tab pictures of the practice and exam windows into a folder
// (pic/ of the source tree). The pictures are committed; run this again only to change their look.
//
//   vqpicgen <folder>

#include "tools/picgen/Pictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        err << "usage: vqpicgen <folder>\n";
        return 2;
    }
    const QDir dir(args.at(1));
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        err << "cannot create " << dir.path() << '\n';
        return 1;
    }
    for (const picgen::Picture& p : picgen::allPictures()) {
        const QString path = dir.filePath(p.fileName);
        if (!picgen::render(p).save(path, "BMP")) {
            err << "cannot write " << path << '\n';
            return 1;
        }
    }
    return 0;
}
