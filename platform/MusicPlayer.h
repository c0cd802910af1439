#pragma once

#include <QString>

#include <functional>
#include <memory>

// Background music: plays one MIDI file at a time, once, from its start. Playing returns at once; the
// music goes on behind the windows until it ends or is stopped.
class MusicPlayer {
public:
    MusicPlayer() = default;
    virtual ~MusicPlayer();
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    // True when there is a sound device the music can go to.
    virtual bool soundDevicePresent() = 0;
    // Plays file from the start, in place of whatever plays. False when the file cannot be opened, is no
    // MIDI file, or the device refuses it; nothing plays then.
    virtual bool play(const QString& file) = 0;
    // Stops the music and lets the sound device go.
    virtual void stop() = 0;
};

using MusicPlayerFactory = std::function<std::unique_ptr<MusicPlayer>()>;

// The player the program uses: FluidSynth, or what a test installed.
std::unique_ptr<MusicPlayer> CreateMusicPlayer();
// Installs what CreateMusicPlayer makes; an empty factory restores FluidSynth.
void SetMusicPlayerFactory(MusicPlayerFactory factory);
