#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace docx {

// The parts of a package, zipped in the order they were added.
struct PackagePart {
    QString name;
    QByteArray data;
    bool compress = true; // pictures are compressed already
};

// The zip archive of the parts, built in memory. Throws std::runtime_error when the library fails.
QByteArray zipParts(const QList<PackagePart>& parts);

// The named entry of a zip archive; an empty result and false in *found when it is not there or the
// archive cannot be read.
QByteArray unzipPart(const QByteArray& archive, const QString& name, bool* found = nullptr);
// Names of the entries, in archive order.
QStringList zipEntryNames(const QByteArray& archive);

} // namespace docx
