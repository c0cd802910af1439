// Writes the background tunes of the program into a folder (sound/ of the source tree) as Standard MIDI
// Files. The tunes are committed; run this again only to change them.
//
//   vqmidigen <folder>

#include "tools/midigen/Tunes.h"

#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>
#include <QTextStream>

#include <stdexcept>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        err << "usage: vqmidigen <folder>\n";
        return 2;
    }
    const QDir dir(args.at(1));
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        err << "cannot create " << dir.path() << '\n';
        return 1;
    }
    try {
        for (const midigen::Tune& t : midigen::allTunes()) {
            QSaveFile f(dir.filePath(t.fileName));
            if (!f.open(QIODevice::WriteOnly) || f.write(midigen::writeSmf(t.song)) < 0 || !f.commit()) {
                err << "cannot write " << f.fileName() << '\n';
                return 1;
            }
            out << t.fileName << "  " << t.character << "  "
                << QString::number(midigen::durationSeconds(t.song), 'f', 0) << " s\n";
        }
    } catch (const std::invalid_argument& e) {
        err << "a tune is written wrongly: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
