#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// A small Standard MIDI File writer: format 1, one conductor track for tempo, metre and key, and one
// track per instrument. Times are in ticks of the file's division (ticks per quarter note).
namespace midigen {

// A MIDI variable-length quantity: seven bits a byte, the high bit set on every byte but the last.
QByteArray variableLength(quint32 value);

struct Note {
    quint32 start = 0;
    quint32 length = 0;
    int key = 60;
    int velocity = 64;
};

struct Control {
    quint32 tick = 0;
    int controller = 0;
    int value = 0;
};

struct Track {
    QString name;
    int channel = 0;
    int program = 0;  // General MIDI instrument, 0-based
    int volume = 100; // controller 7
    int pan = 64;     // controller 10
    int reverb = 40;  // controller 91
    QVector<Note> notes;
    QVector<Control> controls;
};

struct TempoChange {
    quint32 tick = 0;
    double bpm = 120;
};

struct Song {
    QString title;
    int division = 480;
    int beatsPerBar = 4; // quarter-note beats of the metre: 3 for 3/4, 4 for 4/4
    int keySharps = 0;   // key signature: sharps positive, flats negative
    bool minor = false;
    QVector<TempoChange> tempo; // the first at tick 0
    QVector<Track> tracks;
};

// The bytes of the file. Notes of the same key on one channel never overlap: a note still sounding when
// the next one of its key starts is cut there, since one note-off would otherwise silence both. At one
// tick, note-offs come before controller changes and those before note-ons.
QByteArray writeSmf(const Song& song);

// The last tick at which anything still sounds.
quint32 endTick(const Song& song);

// Playing time in seconds, by the tempo map, up to endTick.
double durationSeconds(const Song& song);

} // namespace midigen
