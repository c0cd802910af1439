#pragma once

// A music player for tests: no sound, a log of what it was asked, a sound card that can be taken away, and
// tunes that play only when their file is there.
#include "platform/MusicPlayer.h"

#include <QFileInfo>
#include <QStringList>

#include <memory>

namespace testsupport {

struct MusicLog {
    QStringList calls; // "play <file>", "stop"
    bool soundCard = true;
    QString playing; // the tune playing now, empty when silent
};

class FakeMusicPlayer : public MusicPlayer {
public:
    explicit FakeMusicPlayer(std::shared_ptr<MusicLog> log) : m_log(std::move(log)) {}

    bool soundDevicePresent() override { return m_log->soundCard; }
    bool play(const QString& file) override {
        m_log->calls << QStringLiteral("play ") + file;
        m_log->playing = QFileInfo(file).isFile() ? file : QString();
        return !m_log->playing.isEmpty();
    }
    void stop() override {
        m_log->calls << QStringLiteral("stop");
        m_log->playing.clear();
    }

private:
    std::shared_ptr<MusicLog> m_log;
};

// Installs the fake for every main window created while it lives.
class ScopedFakeMusic {
public:
    ScopedFakeMusic() : log(std::make_shared<MusicLog>()) {
        SetMusicPlayerFactory([l = log] { return std::make_unique<FakeMusicPlayer>(l); });
    }
    ~ScopedFakeMusic() { SetMusicPlayerFactory({}); }
    ScopedFakeMusic(const ScopedFakeMusic&) = delete;
    ScopedFakeMusic& operator=(const ScopedFakeMusic&) = delete;

    std::shared_ptr<MusicLog> log;
};

} // namespace testsupport
