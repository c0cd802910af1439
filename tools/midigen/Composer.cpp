#include "tools/midigen/Composer.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <stdexcept>

namespace midigen {

namespace {

[[noreturn]] void refuse(const QString& what) {
    throw std::invalid_argument(what.toStdString());
}

int pitchClass(const QString& name) {
    static const int natural[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    if (name.isEmpty() || name[0] < u'A' || name[0] > u'G')
        refuse(QStringLiteral("not a note name: ") + name);
    int pc = natural[name[0].unicode() - u'A'];
    for (qsizetype i = 1; i < name.size(); ++i)
        pc += name[i] == u'#' ? 1 : -1;
    return (pc + 12) % 12;
}

QStringList barsOf(const QString& text) {
    QStringList bars = text.split(u'|');
    for (QString& b : bars)
        b = b.simplified();
    return bars;
}

// The ladder of a figure: the bass at or above low, then every chord tone above it, for three octaves.
QVector<int> ladder(const Chord& c, int low) {
    int bass = low + ((c.bass - low) % 12 + 12) % 12;
    QVector<int> out{bass};
    for (int key = bass + 1; key < bass + 36; ++key)
        if (c.classes.contains(key % 12))
            out.push_back(key);
    return out;
}

} // namespace

int keyOf(const QString& pitch) {
    static const QRegularExpression re(QStringLiteral("^([A-G](?:#|b)?)(-?[0-9])$"));
    const QRegularExpressionMatch m = re.match(pitch);
    if (!m.hasMatch())
        refuse(QStringLiteral("not a pitch: ") + pitch);
    const QString name = m.captured(1);
    int key = (m.captured(2).toInt() + 1) * 12 + pitchClass(name.left(1));
    if (name.size() > 1)
        key += name[1] == u'#' ? 1 : -1;
    if (key < 0 || key > 127)
        refuse(QStringLiteral("out of range: ") + pitch);
    return key;
}

Chord chordOf(const QString& symbol) {
    static const QRegularExpression re(
        QStringLiteral("^([A-G](?:#|b)?)(maj7|m7|m|7|sus2|sus4|add9|6)?(?:/([A-G](?:#|b)?))?$"));
    const QRegularExpressionMatch m = re.match(symbol);
    if (!m.hasMatch())
        refuse(QStringLiteral("not a chord: ") + symbol);
    const int root = pitchClass(m.captured(1));
    const QString quality = m.captured(2);
    QVector<int> intervals{0, 4, 7};
    if (quality == u"m")
        intervals = {0, 3, 7};
    else if (quality == u"7")
        intervals = {0, 4, 7, 10};
    else if (quality == u"maj7")
        intervals = {0, 4, 7, 11};
    else if (quality == u"m7")
        intervals = {0, 3, 7, 10};
    else if (quality == u"sus2")
        intervals = {0, 2, 7};
    else if (quality == u"sus4")
        intervals = {0, 5, 7};
    else if (quality == u"add9")
        intervals = {0, 2, 4, 7};
    else if (quality == u"6")
        intervals = {0, 4, 7, 9};
    Chord c;
    for (int i : intervals)
        c.classes.push_back((root + i) % 12);
    c.bass = m.captured(3).isEmpty() ? root : pitchClass(m.captured(3));
    if (!c.classes.contains(c.bass))
        c.classes.push_back(c.bass);
    return c;
}

Composer::Composer(const QString& title, int beatsPerBar, double bpm, int keySharps, bool minor)
    : m_bpm(bpm) {
    m_song.title = title;
    m_song.beatsPerBar = beatsPerBar;
    m_song.keySharps = keySharps;
    m_song.minor = minor;
    m_song.tempo.push_back({0, bpm});
}

int Composer::addTrack(const QString& name, int channel, int program, int volume, int pan, int reverb) {
    Track t;
    t.name = name;
    t.channel = channel;
    t.program = program;
    t.volume = volume;
    t.pan = pan;
    t.reverb = reverb;
    m_song.tracks.push_back(t);
    return int(m_song.tracks.size() - 1);
}

quint32 Composer::barTick(int bar) const {
    return quint32(bar) * quint32(m_song.beatsPerBar * m_song.division);
}

QVector<ChordSpan> Composer::chords(int bar, const QString& text) const {
    QVector<ChordSpan> spans;
    const quint32 barLength = barTick(1);
    for (const QString& b : barsOf(text)) {
        const QStringList symbols = b.split(u' ', Qt::SkipEmptyParts);
        if (symbols.isEmpty())
            refuse(QStringLiteral("a bar without a chord in: ") + text);
        const quint32 each = barLength / quint32(symbols.size());
        for (qsizetype i = 0; i < symbols.size(); ++i)
            spans.push_back({barTick(bar) + quint32(i) * each, each, chordOf(symbols[i])});
        ++bar;
    }
    return spans;
}

int Composer::melody(int track, int bar, const QString& text, int velocity, int transpose) {
    static const QRegularExpression token(QStringLiteral("^(r|[A-G](?:#|b)?-?[0-9])([whqes])(\\.?)$"));
    const QStringList bars = barsOf(text);
    for (qsizetype b = 0; b < bars.size(); ++b) {
        quint32 tick = barTick(bar + int(b));
        const quint32 end = barTick(bar + int(b) + 1);
        for (const QString& t : bars[b].split(u' ', Qt::SkipEmptyParts)) {
            const QRegularExpressionMatch m = token.match(t);
            if (!m.hasMatch())
                refuse(QStringLiteral("not a note: ") + t);
            static const QString lengths = QStringLiteral("whqes");
            double length = 4.0 / (1 << lengths.indexOf(m.captured(2)));
            if (!m.captured(3).isEmpty())
                length *= 1.5;
            const quint32 ticks = beats(length);
            if (m.captured(1) != u"r") {
                // Notes are played a little short of their full value so that repeated notes speak.
                const quint32 sounding = ticks > 60 ? ticks - 20 : ticks;
                m_song.tracks[track].notes.push_back(
                    {tick, sounding, keyOf(m.captured(1)) + transpose, humanise(velocity, tick, track)});
            }
            tick += ticks;
        }
        if (tick != end)
            refuse(QStringLiteral("bar %1 does not fill the metre: %2").arg(bar + b + 1).arg(bars[b]));
    }
    return int(bars.size());
}

void Composer::figure(int track, const QVector<ChordSpan>& spans, const Figure& f, int velocity) {
    for (const ChordSpan& s : spans) {
        const QVector<int> keys = ladder(s.chord, f.low);
        for (qsizetype i = 0;; ++i) {
            const quint32 at = s.start + beats(f.step * double(i));
            if (at >= s.start + s.length || f.indexes.isEmpty())
                break;
            const int index = f.indexes[i % f.indexes.size()];
            if (index < 0)
                continue;
            const quint32 length = std::min(beats(f.hold), s.start + s.length - at);
            m_song.tracks[track].notes.push_back({at, length,
                                                  keys[std::min<qsizetype>(index, keys.size() - 1)],
                                                  humanise(velocity, at, track)});
        }
    }
}

void Composer::block(int track, const QVector<ChordSpan>& spans, int floor, int velocity,
                     const QVector<double>& hits, double hold) {
    for (const ChordSpan& s : spans) {
        for (double hit : hits) {
            const quint32 at = s.start + beats(hit);
            if (at >= s.start + s.length)
                continue;
            const quint32 left = s.start + s.length - at;
            const quint32 length = hold > 0 ? std::min(beats(hold), left) : left;
            for (int pc : s.chord.classes) {
                const int key = floor + ((pc - floor) % 12 + 12) % 12;
                m_song.tracks[track].notes.push_back({at, length, key, humanise(velocity, at, track + pc)});
            }
        }
    }
}

void Composer::bass(int track, const QVector<ChordSpan>& spans, int low, int velocity, bool fifths) {
    for (const ChordSpan& s : spans) {
        const int key = low + ((s.chord.bass - low) % 12 + 12) % 12;
        const bool split = fifths && s.length >= beats(4);
        const quint32 first = split ? s.length / 2 : s.length;
        m_song.tracks[track].notes.push_back({s.start, first - 30, key, humanise(velocity, s.start, track)});
        if (split) {
            const int root = s.chord.classes.first();
            const int fifth = low + ((root + 7 - low) % 12 + 12) % 12;
            m_song.tracks[track].notes.push_back({s.start + first, s.length - first - 30, fifth,
                                                  humanise(velocity - 8, s.start + first, track)});
        }
    }
}

void Composer::pedal(int track, const QVector<ChordSpan>& spans) {
    for (const ChordSpan& s : spans) {
        m_song.tracks[track].controls.push_back({s.start, 64, 0});
        m_song.tracks[track].controls.push_back({s.start + 30, 64, 127});
    }
    if (!spans.isEmpty())
        m_song.tracks[track].controls.push_back({spans.last().start + spans.last().length, 64, 0});
}

void Composer::ritardando(int bar, int bars, double finalBpm) {
    const int steps = bars * m_song.beatsPerBar;
    for (int i = 1; i <= steps; ++i) {
        const double bpm = m_bpm + (finalBpm - m_bpm) * double(i) / steps;
        m_song.tempo.push_back({barTick(bar) + beats(i - 1), bpm});
    }
}

int Composer::humanise(int velocity, quint32 tick, int salt) const {
    // A fixed scramble of the position, so that the files come out the same on every run.
    quint32 h = tick * 2654435761u ^ quint32(salt) * 40503u;
    h ^= h >> 13;
    const int jitter = int(h % 7) - 3;
    const int accent = tick % barTick(1) == 0 ? 4 : 0;
    return std::clamp(velocity + jitter + accent, 1, 127);
}

} // namespace midigen
