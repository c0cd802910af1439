// The tune generator: the MIDI file format it writes, the notation the tunes are composed in, and the six
// tunes themselves (their length, their instruments, and that the committed files are what it writes).
#include "tools/midigen/Composer.h"
#include "tools/midigen/Smf.h"
#include "tools/midigen/Tunes.h"

#include <QFile>
#include <QSet>
#include <QtEndian>
#include <QtTest>

#include <stdexcept>

using namespace midigen;

namespace {

struct ReadEvent {
    quint32 tick;
    QByteArray bytes;
};

struct ReadFile {
    int format = -1;
    int tracks = -1;
    int division = -1;
    QVector<QVector<ReadEvent>> events;
    QString error;
};

quint32 readLength(const QByteArray& b, qsizetype& at) {
    quint32 v = 0;
    for (int i = 0; i < 4 && at < b.size(); ++i) {
        const quint8 c = quint8(b[at++]);
        v = (v << 7) | (c & 0x7F);
        if (!(c & 0x80))
            return v;
    }
    return v;
}

// Reads what the writer writes: chunks, delta times, meta events and channel messages without running
// status. Any length that does not add up is an error.
ReadFile readSmf(const QByteArray& b) {
    ReadFile f;
    if (b.size() < 14 || !b.startsWith("MThd") || qFromBigEndian<quint32>(b.constData() + 4) != 6) {
        f.error = QStringLiteral("header");
        return f;
    }
    f.format = qFromBigEndian<quint16>(b.constData() + 8);
    f.tracks = qFromBigEndian<quint16>(b.constData() + 10);
    f.division = qFromBigEndian<quint16>(b.constData() + 12);
    qsizetype at = 14;
    while (at < b.size()) {
        if (b.mid(at, 4) != "MTrk") {
            f.error = QStringLiteral("chunk at %1").arg(at);
            return f;
        }
        const qsizetype end = at + 8 + qFromBigEndian<quint32>(b.constData() + at + 4);
        at += 8;
        QVector<ReadEvent> track;
        quint32 tick = 0;
        while (at < end) {
            tick += readLength(b, at);
            const quint8 status = quint8(b[at]);
            qsizetype size = 0;
            if (status == 0xFF) {
                qsizetype q = at + 2;
                const quint32 n = readLength(b, q);
                size = q - at + n;
            } else if ((status & 0xF0) == 0xC0) {
                size = 2;
            } else if (status & 0x80) {
                size = 3;
            } else {
                f.error = QStringLiteral("running status");
                return f;
            }
            track.push_back({tick, b.mid(at, size)});
            at += size;
        }
        if (at != end || track.isEmpty() || track.last().bytes != QByteArray("\xFF\x2F\x00", 3)) {
            f.error = QStringLiteral("track end");
            return f;
        }
        f.events.push_back(track);
    }
    return f;
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

} // namespace

class TestMidiGen : public QObject {
    Q_OBJECT

private slots:
    void variableLengthQuantities() {
        QCOMPARE(variableLength(0), bytes({0x00}));
        QCOMPARE(variableLength(0x7F), bytes({0x7F}));
        QCOMPARE(variableLength(0x80), bytes({0x81, 0x00}));
        QCOMPARE(variableLength(0x3FFF), bytes({0xFF, 0x7F}));
        QCOMPARE(variableLength(0x4000), bytes({0x81, 0x80, 0x00}));
        QCOMPARE(variableLength(0x0FFFFFFF), bytes({0xFF, 0xFF, 0xFF, 0x7F}));
    }

    void aSmallSongReadsBack() {
        Song s;
        s.title = QStringLiteral("试");
        s.division = 480;
        s.tempo = {{0, 60.0}, {1920, 120.0}};
        Track t;
        t.channel = 2;
        t.program = 24;
        t.notes = {{0, 960, 60, 80},   // cut at 480, where the next C4 starts
                   {480, 480, 60, 70}, // ends at 960 together with the first note's written end
                   {480, 480, 60, 90}, // the same note again: dropped
                   {960, 960, 64, 200}};
        s.tracks = {t};
        const ReadFile f = readSmf(writeSmf(s));
        QVERIFY2(f.error.isEmpty(), qPrintable(f.error));
        QCOMPARE(f.format, 1);
        QCOMPARE(f.tracks, 2);
        QCOMPARE(f.division, 480);
        QCOMPARE(f.events.size(), 2);
        // Conductor: the tempo in microseconds per quarter note, at its tick.
        QVector<ReadEvent> tempo;
        for (const ReadEvent& e : f.events[0])
            if (e.bytes.startsWith("\xFF\x51"))
                tempo << e;
        QCOMPARE(tempo.size(), 2);
        QCOMPARE(tempo[0].bytes, bytes({0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40}));
        QCOMPARE(tempo[1].tick, 1920u);
        QCOMPARE(tempo[1].bytes.right(3), bytes({0x07, 0xA1, 0x20}));
        // Notes: the cut note ends before the next starts at the same tick; velocity kept in range.
        QVector<ReadEvent> notes;
        for (const ReadEvent& e : f.events[1]) {
            if (quint8(e.bytes[0]) == 0xC2)
                QCOMPARE(e.bytes, bytes({0xC2, 24}));
            if ((quint8(e.bytes[0]) & 0xE0) == 0x80)
                notes << e;
        }
        QCOMPARE(notes.size(), 6);
        QCOMPARE(notes[0].tick, 0u);
        QCOMPARE(notes[0].bytes, bytes({0x92, 60, 80}));
        QCOMPARE(notes[1].tick, 480u);
        QCOMPARE(notes[1].bytes, bytes({0x82, 60, 64}));
        QCOMPARE(notes[2].tick, 480u);
        QCOMPARE(notes[2].bytes, bytes({0x92, 60, 70}));
        QCOMPARE(notes[3].tick, 960u);
        QCOMPARE(quint8(notes[3].bytes[0]), quint8(0x82));
        QCOMPARE(notes[4].bytes, bytes({0x92, 64, 127}));
        QCOMPARE(notes[5].tick, 1920u);
        // Every track ends where the music ends.
        QCOMPARE(f.events[0].last().tick, 1920u);
        QCOMPARE(f.events[1].last().tick, 1920u);
        // Four beats at 60, nothing after the tempo change: four seconds.
        QCOMPARE(durationSeconds(s), 4.0);
        s.tracks[0].notes.push_back({1920, 960, 67, 60});
        QCOMPARE(durationSeconds(s), 5.0);
    }

    void theNotation() {
        QCOMPARE(keyOf(QStringLiteral("C4")), 60);
        QCOMPARE(keyOf(QStringLiteral("A4")), 69);
        QCOMPARE(keyOf(QStringLiteral("Bb3")), 58);
        QCOMPARE(keyOf(QStringLiteral("C#5")), 73);
        QCOMPARE(keyOf(QStringLiteral("C-1")), 0);
        QCOMPARE(keyOf(QStringLiteral("G9")), 127);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, keyOf(QStringLiteral("H4")));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, keyOf(QStringLiteral("A9")));

        const Chord gb = chordOf(QStringLiteral("G/B"));
        QCOMPARE(gb.bass, 11);
        QCOMPARE(gb.classes, QVector<int>({7, 11, 2}));
        QCOMPARE(chordOf(QStringLiteral("Dm7")).classes, QVector<int>({2, 5, 9, 0}));
        QCOMPARE(chordOf(QStringLiteral("Bbmaj7")).classes, QVector<int>({10, 2, 5, 9}));
        QCOMPARE(chordOf(QStringLiteral("C/D")).classes,
                 QVector<int>({0, 4, 7, 2})); // a bass outside the chord
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, chordOf(QStringLiteral("Cdim")));

        Composer c(QStringLiteral("t"), 3, 60, 0);
        const int lead = c.addTrack(QStringLiteral("lead"), 0, 0, 100);
        QCOMPARE(c.melody(lead, 0, QStringLiteral("C5h E5q | G5h."), 64), 2);
        QCOMPARE(c.song().tracks[lead].notes.size(), 3);
        QCOMPARE(c.song().tracks[lead].notes[2].start, c.barTick(1));
        // A bar one eighth short, or one too long, is a mistake of the composer.
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, c.melody(lead, 0, QStringLiteral("C5h E5e"), 64));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, c.melody(lead, 0, QStringLiteral("C5h E5h"), 64));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, c.melody(lead, 0, QStringLiteral("C5x G5h"), 64));

        // Two chords in a bar share it; a figure never sounds past its chord.
        const QVector<ChordSpan> spans = c.chords(0, QStringLiteral("C | Am F"));
        QCOMPARE(spans.size(), 3);
        QCOMPARE(spans[2].start, c.barTick(1) + c.barTick(1) / 2);
        const int acc = c.addTrack(QStringLiteral("acc"), 1, 0, 100);
        c.figure(acc, spans, {1.0, {0, 1, -1}, 5.0, 48}, 60);
        for (const Note& n : c.song().tracks[acc].notes) {
            const auto it = std::find_if(spans.begin(), spans.end(), [&](const ChordSpan& s) {
                return n.start >= s.start && n.start < s.start + s.length;
            });
            QVERIFY(it != spans.end());
            QVERIFY(n.start + n.length <= it->start + it->length);
            QVERIFY(it->chord.classes.contains(n.key % 12));
        }
        QCOMPARE(c.song().tracks[acc].notes.first().key, 48); // C3, the bass at the floor
    }

    void theSixTunes() {
        const QVector<Tune> tunes = allTunes();
        QCOMPARE(tunes.size(), 6);
        QSet<int> leads;
        for (int i = 0; i < tunes.size(); ++i) {
            const Tune& t = tunes[i];
            QCOMPARE(t.fileName, QStringLiteral("乐曲%1.mid").arg(i + 1, 2, 10, QLatin1Char('0')));
            const double seconds = durationSeconds(t.song);
            QVERIFY2(seconds >= 60 && seconds <= 180,
                     qPrintable(t.fileName + u' ' + QString::number(seconds)));
            QVERIFY(t.song.tracks.size() >= 2);
            leads.insert(t.song.tracks.first().program);
            QSet<int> channels;
            for (const Track& track : t.song.tracks) {
                QVERIFY2(!track.notes.isEmpty(), qPrintable(t.fileName + u' ' + track.name));
                QVERIFY(!channels.contains(track.channel) && track.channel != 9); // 9 is the drum kit
                channels.insert(track.channel);
                for (const Note& n : track.notes) {
                    QVERIFY(n.key >= 21 && n.key <= 108);
                    QVERIFY(n.velocity >= 1 && n.velocity <= 127);
                    QVERIFY(n.length > 0);
                }
            }
        }
        QCOMPARE(leads.size(), 6); // each tune has an instrument of its own
    }

    void theCommittedTunesAreWhatTheGeneratorWrites() {
        for (const Tune& t : allTunes()) {
            QFile f(qEnvironmentVariable("VQ_SOURCE_DIR") + QStringLiteral("/sound/") + t.fileName);
            QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.fileName()));
            const QByteArray committed = f.readAll();
            QVERIFY2(committed == writeSmf(t.song),
                     qPrintable(t.fileName + QStringLiteral(": run the update-tunes target")));
            QVERIFY(readSmf(committed).error.isEmpty());
        }
    }
};

QTEST_MAIN(TestMidiGen)
#include "tst_midigen.moc"
