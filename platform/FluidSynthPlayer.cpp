#include "platform/FluidSynthPlayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include <algorithm>

#include <fluidsynth.h>

Q_LOGGING_CATEGORY(lcMusic, "vq.music", QtWarningMsg)

namespace {

// Loud enough to be heard, soft enough to study by; the tunes peak well below clipping at this gain.
constexpr double kGain = 0.8;

// FluidSynth reports to stderr by default; a machine without sound would fill it at every tune.
void logToQt(int level, const char* message, void*) {
    if (level <= FLUID_ERR)
        qCInfo(lcMusic, "fluidsynth: %s", message);
    else
        qCDebug(lcMusic, "fluidsynth: %s", message);
}

void routeLogOnce() {
    static const bool routed = [] {
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, logToQt, nullptr);
        return true;
    }();
    Q_UNUSED(routed);
}

QStringList defaultDrivers() {
#if defined(Q_OS_WIN)
    return {QStringLiteral("wasapi"), QStringLiteral("dsound"), QStringLiteral("waveout")};
#elif defined(Q_OS_MACOS)
    return {QStringLiteral("coreaudio")};
#else
    // Not JACK: its client library may try to start a sound server of its own.
    return {QStringLiteral("pulseaudio"), QStringLiteral("pipewire"), QStringLiteral("alsa")};
#endif
}

bool isMidiFile(const QString& file) {
    const QFileInfo info(file);
    return info.isFile() && info.isReadable() && fluid_is_midifile(QFile::encodeName(file).constData());
}

fluid_settings_t* newSettings() {
    routeLogOnce();
    fluid_settings_t* s = new_fluid_settings();
    if (s)
        fluid_settings_setnum(s, "synth.gain", kGain);
    return s;
}

} // namespace

QString FindSoundFont() {
    const QString chosen = qEnvironmentVariable("VQ_SOUNDFONT");
    if (!chosen.isEmpty())
        return QFileInfo(chosen).isReadable() ? chosen : QString();
    const QDir beside(QCoreApplication::applicationDirPath() + QStringLiteral("/sound"));
    const QStringList own = beside.entryList({QStringLiteral("*.sf2")}, QDir::Files, QDir::Name);
    if (!own.isEmpty())
        return beside.filePath(own.first());
    for (const char* path :
         {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
          "/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/soundfonts/default.sf2",
          "/usr/share/soundfonts/FluidR3_GM.sf2", "/usr/local/share/soundfonts/default.sf2"}) {
        if (QFileInfo(QString::fromLatin1(path)).isReadable())
            return QString::fromLatin1(path);
    }
    return QString();
}

struct FluidSynthPlayer::State {
    FluidSynthOptions options;
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_player_t* player = nullptr;
    fluid_audio_driver_t* driver = nullptr;
    bool fontLoaded = false;

    bool ensureSynth() {
        if (!settings) {
            settings = newSettings();
            if (!settings)
                return false;
            for (const auto& [name, value] : options.settings)
                fluid_settings_setstr(settings, name.toUtf8().constData(), value.toUtf8().constData());
        }
        if (!synth)
            synth = new_fluid_synth(settings);
        return synth != nullptr;
    }

    bool ensureFont() {
        if (fontLoaded)
            return true;
        const QString font = options.soundFont.isEmpty() ? FindSoundFont() : options.soundFont;
        fontLoaded = !font.isEmpty() && QFileInfo(font).isReadable() &&
                     fluid_synth_sfload(synth, QFile::encodeName(font).constData(), 1) != FLUID_FAILED;
        return fontLoaded;
    }

    fluid_audio_driver_t* openDriver() {
        const QStringList drivers = options.drivers.isEmpty() ? defaultDrivers() : options.drivers;
        for (const QString& name : drivers) {
            if (fluid_settings_setstr(settings, "audio.driver", name.toUtf8().constData()) != FLUID_OK)
                continue;
            if (fluid_audio_driver_t* opened = new_fluid_audio_driver(settings, synth))
                return opened;
        }
        return nullptr;
    }

    void halt() {
        // The audio thread goes first: a player may not be deleted while its synthesizer renders.
        if (driver) {
            delete_fluid_audio_driver(driver);
            driver = nullptr;
        }
        if (player) {
            fluid_player_stop(player);
            delete_fluid_player(player);
            player = nullptr;
        }
        if (synth)
            fluid_synth_system_reset(synth);
    }
};

FluidSynthPlayer::FluidSynthPlayer(FluidSynthOptions options) : d(std::make_unique<State>()) {
    d->options = std::move(options);
}

FluidSynthPlayer::~FluidSynthPlayer() {
    d->halt();
    if (d->synth)
        delete_fluid_synth(d->synth);
    if (d->settings)
        delete_fluid_settings(d->settings);
}

bool FluidSynthPlayer::soundDevicePresent() {
    if (d->driver)
        return true;
    if (!d->ensureSynth())
        return false;
    // Opening the device is the one reliable test; it is let go again until a tune plays.
    fluid_audio_driver_t* probe = d->openDriver();
    if (!probe)
        return false;
    delete_fluid_audio_driver(probe);
    return true;
}

bool FluidSynthPlayer::play(const QString& file) {
    d->halt();
    if (!isMidiFile(file) || !d->ensureSynth() || !d->ensureFont())
        return false;
    d->player = new_fluid_player(d->synth);
    if (!d->player)
        return false;
    if (fluid_player_add(d->player, QFile::encodeName(file).constData()) != FLUID_OK ||
        fluid_player_play(d->player) != FLUID_OK || !(d->driver = d->openDriver())) {
        d->halt();
        return false;
    }
    return true;
}

void FluidSynthPlayer::stop() {
    d->halt();
}

bool FluidSynthPlayer::isPlaying() const {
    return d->player && d->driver && fluid_player_get_status(d->player) == FLUID_PLAYER_PLAYING;
}

bool RenderMidiToWave(const QString& midiFile, const QString& waveFile, const QString& soundFont) {
    const QString font = soundFont.isEmpty() ? FindSoundFont() : soundFont;
    if (!isMidiFile(midiFile) || font.isEmpty())
        return false;
    fluid_settings_t* settings = newSettings();
    if (!settings)
        return false;
    fluid_settings_setstr(settings, "audio.file.name", QFile::encodeName(waveFile).constData());
    fluid_settings_setstr(settings, "audio.file.type", "wav");
    // Time comes from the samples written, not the clock: rendering runs as fast as it can.
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    bool ok = false;
    if (fluid_synth_t* synth = new_fluid_synth(settings)) {
        if (fluid_synth_sfload(synth, QFile::encodeName(font).constData(), 1) != FLUID_FAILED) {
            if (fluid_player_t* player = new_fluid_player(synth)) {
                if (fluid_player_add(player, QFile::encodeName(midiFile).constData()) == FLUID_OK &&
                    fluid_player_play(player) == FLUID_OK) {
                    if (fluid_file_renderer_t* renderer = new_fluid_file_renderer(synth)) {
                        // At most ten minutes of sound: a broken file must not render for ever.
                        int periods = 0;
                        fluid_settings_getint(settings, "audio.period-size", &periods);
                        const long limit = 600L * 44100 / std::max(periods, 1);
                        ok = true;
                        for (long block = 0; fluid_player_get_status(player) == FLUID_PLAYER_PLAYING;
                             ++block) {
                            if (block > limit || fluid_file_renderer_process_block(renderer) != FLUID_OK) {
                                ok = false;
                                break;
                            }
                        }
                        delete_fluid_file_renderer(renderer);
                    }
                }
                fluid_player_stop(player);
                delete_fluid_player(player);
            }
        }
        delete_fluid_synth(synth);
    }
    delete_fluid_settings(settings);
    return ok && QFileInfo(waveFile).size() > 44;
}
