#include "tools/midigen/Smf.h"

#include <QMap>

#include <algorithm>
#include <cmath>

namespace midigen {

namespace {

struct Event {
    quint32 tick;
    int rank; // 0 note-off, 1 setting (meta, program, controller), 2 note-on
    QByteArray bytes;
};

void appendBigEndian(QByteArray& out, quint32 value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

QByteArray meta(int type, const QByteArray& data) {
    QByteArray e;
    e.append(char(0xFF));
    e.append(char(type));
    e.append(variableLength(quint32(data.size())));
    e.append(data);
    return e;
}

QByteArray channelMessage(int status, int channel, int a, int b = -1) {
    QByteArray e;
    e.append(char(status | (channel & 0x0F)));
    e.append(char(std::clamp(a, 0, 127)));
    if (b >= 0)
        e.append(char(std::clamp(b, 0, 127)));
    return e;
}

// Cuts a note where the next note of its key starts, and drops repeats and notes left without length.
QVector<Note> withoutOverlaps(QVector<Note> notes) {
    std::stable_sort(notes.begin(), notes.end(), [](const Note& a, const Note& b) {
        return a.key != b.key ? a.key < b.key : a.start < b.start;
    });
    QVector<Note> out;
    for (qsizetype i = 0; i < notes.size(); ++i) {
        Note n = notes[i];
        // The same key struck twice at once sounds once, as first written.
        qsizetype next = i + 1;
        while (next < notes.size() && notes[next].key == n.key && notes[next].start == n.start)
            ++next;
        if (next < notes.size() && notes[next].key == n.key && notes[next].start < n.start + n.length)
            n.length = notes[next].start - n.start;
        if (n.length > 0)
            out.push_back(n);
        i = next - 1;
    }
    return out;
}

QByteArray chunk(const char* id, const QVector<Event>& unsorted, quint32 end) {
    QVector<Event> events = unsorted;
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.rank < b.rank;
    });
    QByteArray body;
    quint32 now = 0;
    for (const Event& e : events) {
        body.append(variableLength(e.tick - now));
        body.append(e.bytes);
        now = e.tick;
    }
    body.append(variableLength(std::max(end, now) - now));
    body.append(meta(0x2F, QByteArray()));
    QByteArray out(id, 4);
    appendBigEndian(out, quint32(body.size()), 4);
    return out + body;
}

} // namespace

QByteArray variableLength(quint32 value) {
    value &= 0x0FFFFFFF; // the format's largest quantity
    QByteArray out;
    out.prepend(char(value & 0x7F));
    while ((value >>= 7) != 0)
        out.prepend(char(0x80 | (value & 0x7F)));
    return out;
}

quint32 endTick(const Song& song) {
    quint32 end = 0;
    for (const Track& t : song.tracks) {
        for (const Note& n : t.notes)
            end = std::max(end, n.start + n.length);
        for (const Control& c : t.controls)
            end = std::max(end, c.tick);
    }
    return end;
}

double durationSeconds(const Song& song) {
    const quint32 end = endTick(song);
    QMap<quint32, double> tempo{{0, 120.0}};
    for (const TempoChange& c : song.tempo)
        tempo[c.tick] = c.bpm;
    double seconds = 0;
    for (auto it = tempo.cbegin(); it != tempo.cend() && it.key() < end; ++it) {
        const auto next = std::next(it);
        const quint32 until = next == tempo.cend() ? end : std::min(end, next.key());
        seconds += double(until - it.key()) / song.division * 60.0 / it.value();
    }
    return seconds;
}

QByteArray writeSmf(const Song& song) {
    const quint32 end = endTick(song);

    QByteArray file("MThd", 4);
    appendBigEndian(file, 6, 4);
    appendBigEndian(file, 1, 2); // format 1: simultaneous tracks
    appendBigEndian(file, quint32(song.tracks.size() + 1), 2);
    appendBigEndian(file, quint32(song.division), 2);

    QVector<Event> conductor;
    conductor.push_back({0, 1, meta(0x03, song.title.toUtf8())});
    QByteArray metre;
    metre.append(char(song.beatsPerBar));
    metre.append(char(2));  // the beat is a quarter note
    metre.append(char(24)); // MIDI clocks per metronome click
    metre.append(char(8));  // thirty-seconds per quarter
    conductor.push_back({0, 1, meta(0x58, metre)});
    QByteArray key;
    key.append(char(qint8(song.keySharps)));
    key.append(char(song.minor ? 1 : 0));
    conductor.push_back({0, 1, meta(0x59, key)});
    for (const TempoChange& c : song.tempo) {
        QByteArray t;
        appendBigEndian(t, quint32(std::lround(60000000.0 / c.bpm)), 3);
        conductor.push_back({c.tick, 1, meta(0x51, t)});
    }
    file += chunk("MTrk", conductor, end);

    for (const Track& track : song.tracks) {
        const int ch = track.channel;
        QVector<Event> events;
        events.push_back({0, 1, meta(0x03, track.name.toUtf8())});
        events.push_back({0, 1, channelMessage(0xC0, ch, track.program)});
        events.push_back({0, 1, channelMessage(0xB0, ch, 7, track.volume)});
        events.push_back({0, 1, channelMessage(0xB0, ch, 10, track.pan)});
        events.push_back({0, 1, channelMessage(0xB0, ch, 91, track.reverb)});
        for (const Control& c : track.controls)
            events.push_back({c.tick, 1, channelMessage(0xB0, ch, c.controller, c.value)});
        for (const Note& n : withoutOverlaps(track.notes)) {
            events.push_back({n.start, 2, channelMessage(0x90, ch, n.key, std::clamp(n.velocity, 1, 127))});
            events.push_back({n.start + n.length, 0, channelMessage(0x80, ch, n.key, 64)});
        }
        file += chunk("MTrk", events, end);
    }
    return file;
}

} // namespace midigen
