#pragma once

#include "tools/midigen/Smf.h"

#include <QString>
#include <QVector>

namespace midigen {

struct Tune {
    QString fileName;  // "乐曲01.mid" .. "乐曲06.mid"
    QString character; // the lead instrument, for the listing of the tool
    Song song;
};

// The six background tunes of the program, calm pieces of our own: piano, strings, guitar, electric piano,
// harp with flute, music box. Throws std::invalid_argument when the notation of one is wrong.
QVector<Tune> allTunes();

} // namespace midigen
