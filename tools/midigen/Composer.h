#pragma once

#include "tools/midigen/Smf.h"

#include <QString>
#include <QVector>

// Writing music as text: melodies as notes with lengths, harmony as chord symbols, and accompaniment
// figures that spread the chords over instruments. The tunes are composed in this notation.
namespace midigen {

// MIDI key of a pitch such as "C4" (60), "F#5", "Bb3"; throws std::invalid_argument for anything else.
int keyOf(const QString& pitch);

// A chord symbol: root, quality (m, 7, maj7, m7, sus2, sus4, add9, 6) and an optional bass ("G/B").
struct Chord {
    int bass = 0;         // pitch class of the lowest note
    QVector<int> classes; // pitch classes, root first
};
Chord chordOf(const QString& symbol);

struct ChordSpan {
    quint32 start = 0;
    quint32 length = 0;
    Chord chord;
};

// How an accompaniment spreads a chord: every step beats the next index of a ladder that starts at the
// chord's bass (placed at or above low, within an octave) and climbs through the chord's tones. An index
// of -1 rests. Each note lasts hold beats, and never past its chord.
struct Figure {
    double step = 0.5;
    QVector<int> indexes;
    double hold = 1.0;
    int low = 43;
};

class Composer {
public:
    Composer(const QString& title, int beatsPerBar, double bpm, int keySharps, bool minor = false);

    int addTrack(const QString& name, int channel, int program, int volume, int pan = 64, int reverb = 50);

    quint32 barTick(int bar) const;
    // Chords from bar on: bars are separated by "|", a bar with several chords shares its beats evenly.
    QVector<ChordSpan> chords(int bar, const QString& text) const;
    // Notes such as "E5q D5e C5e r h." from bar on; lengths w h q e s, "." adds half. Every bar must fill
    // the metre exactly. Returns the number of bars.
    int melody(int track, int bar, const QString& text, int velocity, int transpose = 0);

    void figure(int track, const QVector<ChordSpan>& spans, const Figure& f, int velocity);
    // The chord's tones held together, closely voiced from floor up; hits are beats within the chord.
    void block(int track, const QVector<ChordSpan>& spans, int floor, int velocity,
               const QVector<double>& hits = {0.0}, double hold = 0.0);
    // The bass note of each chord from low up, and its fifth at half-way when the chord is long enough.
    void bass(int track, const QVector<ChordSpan>& spans, int low, int velocity, bool fifths);
    // Sustain pedal lifted and pressed again at every chord change.
    void pedal(int track, const QVector<ChordSpan>& spans);
    // Slows down from the start of bar over the given bars to the final tempo.
    void ritardando(int bar, int bars, double finalBpm);

    const Song& song() const { return m_song; }

private:
    quint32 beats(double b) const { return quint32(b * m_song.division + 0.5); }
    int humanise(int velocity, quint32 tick, int salt) const;

    Song m_song;
    double m_bpm;
};

} // namespace midigen
