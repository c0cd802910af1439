#pragma once

#include "platform/MusicPlayer.h"

#include <QList>
#include <QPair>
#include <QStringList>

#include <memory>

struct FluidSynthOptions {
    // Audio drivers to try, in order; empty: the usual ones of the platform.
    QStringList drivers;
    // Further text settings of the synthesizer, such as the file name of the "file" driver.
    QList<QPair<QString, QString>> settings;
    // Empty: FindSoundFont().
    QString soundFont;
};

// MIDI playback through FluidSynth with a General MIDI sound font. The audio device is opened when a
// tune starts and let go when it stops; FluidSynth renders on its own audio thread, so nothing here
// waits for the music.
class FluidSynthPlayer : public MusicPlayer {
public:
    explicit FluidSynthPlayer(FluidSynthOptions options = {});
    ~FluidSynthPlayer() override;

    bool soundDevicePresent() override;
    bool play(const QString& file) override;
    void stop() override;

    // True while a tune is being played (and has not reached its end).
    bool isPlaying() const;

private:
    struct State;
    std::unique_ptr<State> d;
};

// The General MIDI sound font to play with: VQ_SOUNDFONT when set, else a .sf2 file under sound/ beside
// the program, else the system's own (Debian's default-GM.sf2 and the usual names elsewhere). Empty when
// there is none.
QString FindSoundFont();

// Renders a MIDI file to a WAV file as fast as the machine goes, with the player's synthesizer settings.
// False when the MIDI file or the sound font cannot be read or the file cannot be written.
bool RenderMidiToWave(const QString& midiFile, const QString& waveFile, const QString& soundFont = QString());
