// Draws the question-button and type-tab pictures of the practice and exam windows into a folder
// (pic/ of the source tree), or with --icons the program's icon as SVG and PNGs (desktop/icons/). The
// pictures are committed; run this again only to change their look.
//
//   vqpicgen <folder>
//   vqpicgen --icons <folder>

#include "tools/picgen/AppIcon.h"
#include "tools/picgen/Pictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QSaveFile>
#include <QTextStream>

namespace {
bool writeIcons(const QDir& dir) {
    QSaveFile svg(dir.filePath(QStringLiteral("velquar.svg")));
    if (!svg.open(QIODevice::WriteOnly) || svg.write(picgen::appIconSvg()) < 0 || !svg.commit())
        return false;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        if (!picgen::appIcon(size).save(dir.filePath(QStringLiteral("velquar-%1.png").arg(size)), "PNG"))
            return false;
    }
    return true;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    QStringList args = QCoreApplication::arguments();
    const bool icons = args.size() == 3 && args.at(1) == QStringLiteral("--icons");
    if (icons)
        args.removeAt(1);
    if (args.size() != 2) {
        err << "usage: vqpicgen [--icons] <folder>\n";
        return 2;
    }
    const QDir dir(args.at(1));
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        err << "cannot create " << dir.path() << '\n';
        return 1;
    }
    if (icons) {
        if (!writeIcons(dir)) {
            err << "cannot write the icons into " << dir.path() << '\n';
            return 1;
        }
        return 0;
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
