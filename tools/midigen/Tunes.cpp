#include "tools/midigen/Tunes.h"

#include "tools/midigen/Composer.h"

#include <functional>
#include <stdexcept>

namespace midigen {

namespace {

// One part of a tune's form: its harmony, its melody (empty: accompaniment alone) and how loud the
// melody sings.
struct Part {
    const char* chords;
    const char* melody;
    int velocity;
    int transposeDouble = 0; // a second voice of the melody this many semitones away, softer
};

using Accompany = std::function<void(const QVector<ChordSpan>&)>;

// Lays the parts one after the other. The accompaniment gets every chord but the very last, which the
// ending gets: the tunes close on a chord left to ring.
void lay(Composer& c, int lead, const QVector<Part>& form, const Accompany& accompany,
         const Accompany& ending, double finalBpm) {
    int bar = 0;
    for (qsizetype i = 0; i < form.size(); ++i) {
        const Part& p = form[i];
        QVector<ChordSpan> spans = c.chords(bar, QString::fromUtf8(p.chords));
        const int bars = int(QString::fromUtf8(p.chords).count(u'|')) + 1;
        if (i + 1 == form.size()) {
            ending({spans.takeLast()});
            c.ritardando(bar + bars - 2, 2, finalBpm);
        }
        accompany(spans);
        if (*p.melody) {
            if (c.melody(lead, bar, QString::fromUtf8(p.melody), p.velocity) != bars)
                throw std::invalid_argument("melody and chords differ in length");
            if (p.transposeDouble)
                c.melody(lead, bar, QString::fromUtf8(p.melody), p.velocity - 24, p.transposeDouble);
        }
        bar += bars;
    }
}

// Piano, C major, a gentle waltz: the left hand rolls the chords, the right hand sings.
Song morningLight() {
    Composer c(QStringLiteral("乐曲01 晨光"), 3, 76, 0);
    const int right = c.addTrack(QStringLiteral("钢琴 右手"), 0, 0, 127, 72, 55);
    const int left = c.addTrack(QStringLiteral("钢琴 左手"), 1, 0, 120, 52, 55);
    const char* a2 =
        "E5h G5q | D5h B4q | C5q E5q A5q | G5q F5q E5q | F5q A5q C6q | B5q G5q F5q | E5h D5q | C5h.";
    const char* a2Chords = "C | G/B | Am | Em/G | F | G7 | C | C";
    const QVector<Part> form = {
        {"C | Am | F | G", "G5h. | E5h. | F5h. | D5h.", 64},
        {"C | G/B | Am | Em/G | F | C/E | Dm7 | G7",
         "E5h G5q | D5h B4q | C5q E5q A5q | G5h. | A5q G5q F5q | E5h C5q | D5q E5q F5q | D5h.", 88},
        {a2Chords, a2, 90},
        {"Am | Em | F | C | Dm | Am | F | G",
         "A4q C5q E5q | G5h E5q | F5q A5q C6q | C6h G5q | F5q E5q D5q | C5h A4q | A4q C5q F5q | D5h.", 84},
        {a2Chords, a2, 92, -12},
        {"F | G7 | C | C", "A5q G5q F5q | G5q F5q D5q | E5h. | C5h.", 72},
    };
    const Figure roll{0.5, {0, 2, 4, 2, 4, 2}, 1.0, 43};
    lay(
        c, right, form,
        [&](const QVector<ChordSpan>& s) {
            c.figure(left, s, roll, 60);
            c.pedal(left, s);
            c.pedal(right, s);
        },
        [&](const QVector<ChordSpan>& s) {
            c.figure(left, s, {0.25, {0, 2, 3, 4, 5}, 3.0, 36}, 62);
            c.pedal(left, s);
            c.pedal(right, s);
        },
        58);
    return c.song();
}

// Strings, D major, slow: long chords of the section, the cellos below, a violin above.
Song stillWater() {
    Composer c(QStringLiteral("乐曲02 静水"), 4, 63, 2);
    const int violin = c.addTrack(QStringLiteral("小提琴"), 0, 40, 80, 72, 70);
    const int section = c.addTrack(QStringLiteral("弦乐"), 1, 48, 58, 60, 70);
    const int cello = c.addTrack(QStringLiteral("大提琴"), 2, 42, 68, 48, 60);
    const QVector<Part> form = {
        {"D | Asus4 A", "", 0},
        {"D | A/C# | Bm | F#m/A | G | D/F# | Em7 | A",
         "F#5h A5h | E5w | D5h F#5h | C#5w | B4h D5h | A4h D5q F#5q | G5h. F#5q | E5w", 70},
        {"Bm | G | D | A | Bm | G | Em7 | Asus4 A",
         "F#5q B5q. A5e F#5q | G5h D5h | F#5q. E5e D5h | E5w | D5q F#5q B5h | B5q. A5e G5h | E5q G5q B5h | "
         "D5h C#5h",
         74},
        {"D | A/C# | Bm | F#m/A | G | D/F# | Em7 A7 | D",
         "F#5h A5h | E5w | D5h F#5h | C#5w | B4h D5h | A4h D5q F#5q | G5h E5h | D5w", 70},
        {"G | D", "D5h B4h | A4w", 60},
    };
    const Accompany strings = [&](const QVector<ChordSpan>& s) {
        c.block(section, s, 55, 52);
        c.bass(cello, s, 36, 62, false);
    };
    lay(c, violin, form, strings, strings, 50);
    return c.song();
}

// Nylon-string guitar, G major: a picked accompaniment and a melody on a second guitar.
Song distantHills() {
    Composer c(QStringLiteral("乐曲03 远山"), 4, 80, 1);
    const int melody = c.addTrack(QStringLiteral("吉他 旋律"), 0, 24, 127, 72, 50);
    const int picking = c.addTrack(QStringLiteral("吉他 分解和弦"), 1, 24, 115, 54, 50);
    const char* aChords = "G | Em | C | D | G | Em | Am7 | D7";
    const char* a = "B4q D5q G5h | G5q. F#5e E5h | E5q D5q C5q E5q | D5w | B4q D5q G5q B5q | B5q. A5e G5h | "
                    "A5q G5q E5q C5q | F#5h D5h";
    const char* a2Chords = "G | Em | C | D | G/B | C | D7 | G";
    const char* a2 = "B4q D5q G5h | G5q. F#5e E5h | E5q D5q C5q E5q | D5w | B4q D5q G5h | C5q E5q G5h | "
                     "A5q F#5q D5q C5q | B4h G4h";
    const QVector<Part> form = {
        {"G | C/G | G | D", "", 0},
        {aChords, a, 78},
        {a2Chords, a2, 80},
        {"Em | C | G | D | Em | C | Am7 | Dsus4 D",
         "E5q G5q B5h | C6q. B5e G5h | B5q A5q G5q D5q | F#5w | G5q F#5q E5q G5q | E5h. G5q | A5q. G5e E5h | "
         "G5h F#5h",
         76},
        {a2Chords, a2, 80},
        {"C | D7 | G | G", "E5q D5q C5h | C5q A4q F#4h | G4w | rw", 64},
    };
    const Figure pick{0.5, {0, 2, 3, 2, 4, 2, 3, 2}, 1.0, 40};
    lay(
        c, melody, form, [&](const QVector<ChordSpan>& s) { c.figure(picking, s, pick, 54); },
        [&](const QVector<ChordSpan>& s) {
            c.figure(picking, s, {0.25, {0, 1, 2, 3, 4, 5}, 4.0, 40}, 56);
        },
        62);
    return c.song();
}

// Electric piano, F major, evening jazz: seventh chords comped softly over a pad and a walking-free bass.
Song eveningReading() {
    Composer c(QStringLiteral("乐曲04 夜读"), 4, 66, -1);
    const int lead = c.addTrack(QStringLiteral("电钢琴 旋律"), 0, 4, 115, 70, 60);
    const int comp = c.addTrack(QStringLiteral("电钢琴 和弦"), 1, 4, 95, 54, 60);
    const int pad = c.addTrack(QStringLiteral("温暖音垫"), 2, 89, 68, 64, 70);
    const int bass = c.addTrack(QStringLiteral("低音提琴"), 3, 32, 96, 60, 30);
    const QVector<Part> form = {
        {"Fmaj7 | Gm7 C7", "", 0},
        {"Fmaj7 | Em7 A7 | Dm7 | Cm7 F7 | Bbmaj7 | Am7 | Gm7 | C7",
         "A4q C5q E5h | D5q B4q C#5h | D5q F5q A5h | G5q Eb5q F5h | D5h. A4q | C5q E5q G5h | F5q D5q Bb4h | "
         "E5h C5h",
         76},
        {"Bbmaj7 | Am7 | Gm7 | Fmaj7 | Bbmaj7 | Am7 D7 | Gm7 | Gm7 C7",
         "F5q. D5e A4h | E5q. C5e A4h | D5q. Bb4e G4h | C5h. A4q | D5q F5q A5h | G5q E5q F#5h | G5q. F5e D5h "
         "| "
         "Bb4h C5q E5q",
         74},
        {"Fmaj7 | Em7 A7 | Dm7 | Cm7 F7 | Bbmaj7 | Am7 | Gm7 C7 | Fmaj7",
         "A4q C5q E5h | D5q B4q C#5h | D5q F5q A5h | G5q Eb5q F5h | D5h. A4q | C5q E5q G5h | F5q D5q E5h | "
         "F5w",
         76},
        {"Bbmaj7 | Fmaj7", "D5h C5h | A4w", 62},
    };
    lay(
        c, lead, form,
        [&](const QVector<ChordSpan>& s) {
            c.block(comp, s, 53, 46, {0.0, 2.5}, 1.5);
            c.block(pad, s, 60, 38);
            c.bass(bass, s, 36, 66, true);
        },
        [&](const QVector<ChordSpan>& s) {
            c.figure(comp, s, {0.25, {0, 1, 2, 3, 4}, 4.0, 41}, 48);
            c.block(pad, s, 60, 36);
            c.bass(bass, s, 36, 60, false);
        },
        54);
    return c.song();
}

// Harp and flute, E-flat major: the harp flows up and down, the flute above it.
Song brook() {
    Composer c(QStringLiteral("乐曲05 小溪"), 4, 72, -3);
    const int flute = c.addTrack(QStringLiteral("长笛"), 0, 73, 88, 70, 64);
    const int harp = c.addTrack(QStringLiteral("竖琴"), 1, 46, 96, 52, 60);
    const int strings = c.addTrack(QStringLiteral("弦乐音垫"), 2, 49, 58, 64, 70);
    const char* a = "G5q. F5e Eb5h | C6h Ab5h | G5q. Eb5e C5h | D5w | Eb5q Ab5q C6h | Bb5q. G5e Eb5h | ";
    const QVector<Part> form = {
        {"Eb | Ab/Eb", "", 0},
        {"Eb | Ab/Eb | Cm | Bb | Ab | Eb/G | Fm7 | Bb", "", 72},
        {"Cm | Ab | Eb | Bb | Cm | Ab | Fm7 | Bbsus4 Bb",
         "Eb5q G5q C6h | C6q. Bb5e Ab5h | G5h Bb5h | F5w | G5q. F5e Eb5h | Eb5q C5q Ab4h | C5q Eb5q F5q Ab5q "
         "| "
         "Eb5h D5h",
         74},
        {"Eb | Ab/Eb | Cm | Bb | Ab | Eb/G | Fm7 Bb7 | Eb", "", 72},
        {"Ab | Eb", "C6h Ab5h | G5w", 60},
    };
    // The two A parts share their first six bars.
    const QByteArray firstA = QByteArray(a) + "Ab5q F5q Eb5q C5q | F5h D5h";
    const QByteArray secondA = QByteArray(a) + "Ab5q F5q D5h | Eb5w";
    QVector<Part> parts = form;
    parts[1].melody = firstA.constData();
    parts[3].melody = secondA.constData();
    const Figure flow{0.5, {0, 1, 2, 3, 4, 3, 2, 1}, 1.5, 39};
    lay(
        c, flute, parts,
        [&](const QVector<ChordSpan>& s) {
            c.figure(harp, s, flow, 56);
            c.block(strings, s, 55, 34);
        },
        [&](const QVector<ChordSpan>& s) {
            c.figure(harp, s, {0.25, {0, 1, 2, 3, 4, 5, 6}, 4.0, 39}, 56);
            c.block(strings, s, 55, 32);
        },
        56);
    return c.song();
}

// Music box and vibraphone, A major, a lullaby in three over soft voices.
Song starrySky() {
    Composer c(QStringLiteral("乐曲06 星空"), 3, 84, 3);
    const int box = c.addTrack(QStringLiteral("八音盒"), 0, 10, 120, 68, 70);
    const int vibes = c.addTrack(QStringLiteral("颤音琴"), 1, 11, 96, 56, 70);
    const int voices = c.addTrack(QStringLiteral("人声音垫"), 2, 52, 58, 64, 80);
    const char* a2Chords = "A | F#m | D | E | D | A/E | E | A";
    const char* a2 =
        "C#6h A5q | A5h F#5q | F#5q A5q D6q | B5h. | A5h F#5q | E5q A5q C#6q | B5q G#5q E5q | A5h.";
    const QVector<Part> form = {
        {"A | D/A | A | E", "", 0},
        {"A | F#m | D | E | A | F#m | Bm7 | E",
         "C#6h A5q | A5h F#5q | F#5q A5q D6q | B5h. | C#6q B5q A5q | A5q F#5q C#5q | D5q F#5q A5q | G#5h.",
         70},
        {a2Chords, a2, 72},
        {"D | A | Bm | F#m | D | A | Bm7 | E",
         "A5q F#5q D5q | E5h C#5q | D5q F#5q B5q | A5h. | F#5q A5q D6q | C#6h A5q | B5q A5q F#5q | E5h.", 68},
        {a2Chords, a2, 72},
        {"D | A | A | A", "F#5q E5q D5q | C#5h. | A4h. | rh.", 58},
    };
    const Figure sway{1.0, {0, 2, 1}, 2.0, 57};
    lay(
        c, box, form,
        [&](const QVector<ChordSpan>& s) {
            c.figure(vibes, s, sway, 46);
            c.block(voices, s, 57, 36);
        },
        [&](const QVector<ChordSpan>& s) {
            c.figure(vibes, s, {0.5, {0, 1, 2, 3}, 3.0, 57}, 44);
            c.block(voices, s, 57, 34);
        },
        66);
    return c.song();
}

} // namespace

QVector<Tune> allTunes() {
    return {
        {QStringLiteral("乐曲01.mid"), QStringLiteral("钢琴"), morningLight()},
        {QStringLiteral("乐曲02.mid"), QStringLiteral("弦乐"), stillWater()},
        {QStringLiteral("乐曲03.mid"), QStringLiteral("吉他"), distantHills()},
        {QStringLiteral("乐曲04.mid"), QStringLiteral("电钢琴"), eveningReading()},
        {QStringLiteral("乐曲05.mid"), QStringLiteral("竖琴与长笛"), brook()},
        {QStringLiteral("乐曲06.mid"), QStringLiteral("八音盒"), starrySky()},
    };
}

} // namespace midigen
