// Background music through FluidSynth: the tunes sound, playing returns at once, stopping stops, and a
// missing tune or a missing sound device is told apart.
#include "platform/FluidSynthPlayer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cmath>

namespace {

QString tune(int n) {
    return qEnvironmentVariable("VQ_SOURCE_DIR") +
           QStringLiteral("/sound/乐曲%1.mid").arg(n, 2, 10, QLatin1Char('0'));
}

struct Wave {
    bool valid = false;
    int channels = 0;
    int rate = 0;
    QVector<qint16> samples; // interleaved
    double seconds() const { return valid ? double(samples.size()) / channels / rate : 0; }
};

// Reads a 16-bit PCM WAV file chunk by chunk.
Wave readWave(const QString& path) {
    Wave w;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return w;
    const QByteArray bytes = f.readAll();
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return w;
    qsizetype at = 12;
    int bits = 0;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
        const char* body = bytes.constData() + at + 8;
        if (id == "fmt " && size >= 16) {
            w.channels = qFromLittleEndian<quint16>(body + 2);
            w.rate = int(qFromLittleEndian<quint32>(body + 4));
            bits = qFromLittleEndian<quint16>(body + 14);
        } else if (id == "data") {
            const qsizetype n = std::min<qsizetype>(size, bytes.size() - at - 8) / 2;
            w.samples.resize(n);
            for (qsizetype i = 0; i < n; ++i)
                w.samples[i] = qFromLittleEndian<qint16>(body + 2 * i);
        }
        at += 8 + size + (size & 1);
    }
    w.valid = bits == 16 && w.channels > 0 && w.rate > 0;
    return w;
}

double rms(const QVector<qint16>& s, qsizetype from, qsizetype to) {
    double sum = 0;
    for (qsizetype i = from; i < to; ++i)
        sum += double(s[i]) * s[i];
    return to > from ? std::sqrt(sum / double(to - from)) : 0;
}

} // namespace

class TestMusic : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        QVERIFY2(!FindSoundFont().isEmpty(), "no General MIDI sound font: install timgm6mb-soundfont");
        QVERIFY(QFile::exists(tune(1)));
    }

    void everyTuneRendersToAudibleSound_data() {
        QTest::addColumn<int>("n");
        for (int n = 1; n <= 6; ++n)
            QTest::addRow("乐曲%02d", n) << n;
    }
    void everyTuneRendersToAudibleSound() {
        QFETCH(int, n);
        const QString wav = m_dir.filePath(QStringLiteral("tune%1.wav").arg(n));
        QVERIFY(RenderMidiToWave(tune(n), wav));
        const Wave w = readWave(wav);
        QVERIFY(w.valid);
        QVERIFY2(w.seconds() >= 60 && w.seconds() <= 180, qPrintable(QString::number(w.seconds())));
        qint16 peak = 0;
        for (qint16 s : w.samples)
            peak = std::max<qint16>(peak, qint16(std::abs(int(s))));
        // Heard, and never clipped.
        QVERIFY2(peak > 1500 && peak < 32767, qPrintable(QString::number(peak)));
        // Music all the way through, not one note at the start: every tenth of the tune has sound.
        const qsizetype tenth = w.samples.size() / 10;
        for (int part = 0; part < 9; ++part)
            QVERIFY2(rms(w.samples, part * tenth, (part + 1) * tenth) > 150,
                     qPrintable(QString::number(part)));
        QFile::remove(wav);
    }

    void aTuneThatIsNoMidiFileIsRefused() {
        FluidSynthPlayer player(
            {{QStringLiteral("file")},
             {{QStringLiteral("audio.file.name"), m_dir.filePath(QStringLiteral("x.wav"))}},
             QString()});
        QFile text(m_dir.filePath(QStringLiteral("乐曲09.mid")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a tune at all");
        text.close();
        QFile empty(m_dir.filePath(QStringLiteral("empty.mid")));
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        QVERIFY(player.soundDevicePresent());
        QVERIFY(!player.play(m_dir.filePath(QStringLiteral("missing.mid"))));
        QVERIFY(!player.play(text.fileName()));
        QVERIFY(!player.play(empty.fileName()));
        QVERIFY(!player.play(m_dir.path())); // a folder
        QVERIFY(!player.isPlaying());
        // A missing sound font is no crash either, only a tune that cannot play.
        FluidSynthPlayer fontless(
            {{QStringLiteral("file")},
             {{QStringLiteral("audio.file.name"), m_dir.filePath(QStringLiteral("y.wav"))}},
             m_dir.filePath(QStringLiteral("none.sf2"))});
        QVERIFY(!fontless.play(tune(1)));
    }

    void withoutASoundDeviceNothingPlays() {
        // A device that cannot be opened stands for a machine without a sound card.
        FluidSynthPlayer player(
            {{QStringLiteral("oss")},
             {{QStringLiteral("audio.oss.device"), m_dir.filePath(QStringLiteral("no/dsp"))}},
             QString()});
        QElapsedTimer t;
        t.start();
        QVERIFY(!player.soundDevicePresent());
        QVERIFY(!player.play(tune(1)));
        QVERIFY(!player.isPlaying());
        QVERIFY(t.elapsed() < 5000);
    }

    void playingReturnsAtOnceAndStopStops() {
        const QString out = m_dir.filePath(QStringLiteral("live.wav"));
        FluidSynthPlayer player(
            {{QStringLiteral("file")}, {{QStringLiteral("audio.file.name"), out}}, QString()});
        QElapsedTimer t;
        t.start();
        QVERIFY(player.soundDevicePresent());
        QVERIFY(player.play(tune(2)));
        // The tune lasts minutes; the call came back long before.
        QVERIFY2(t.elapsed() < 3000, qPrintable(QString::number(t.elapsed())));
        QVERIFY(player.isPlaying());
        QTest::qWait(1500);
        QVERIFY(player.isPlaying());
        // Another tune takes the place of the first.
        QVERIFY(player.play(tune(3)));
        QVERIFY(player.isPlaying());
        QTest::qWait(1500);
        player.stop();
        QVERIFY(!player.isPlaying());
        // The device (here the file) received the third tune's sound.
        const Wave w = readWave(out);
        QVERIFY(w.valid);
        QVERIFY2(w.seconds() > 0.5, qPrintable(QString::number(w.seconds())));
        QVERIFY(rms(w.samples, 0, w.samples.size()) > 50);
        player.stop(); // stopping twice is harmless
    }
};

QTEST_MAIN(TestMusic)
#include "tst_music.moc"
