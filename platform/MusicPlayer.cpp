#include "platform/MusicPlayer.h"

#include "platform/FluidSynthPlayer.h"

MusicPlayer::~MusicPlayer() = default;

namespace {
MusicPlayerFactory& installedFactory() {
    static MusicPlayerFactory factory;
    return factory;
}
} // namespace

std::unique_ptr<MusicPlayer> CreateMusicPlayer() {
    if (installedFactory())
        return installedFactory()();
    return std::make_unique<FluidSynthPlayer>();
}

void SetMusicPlayerFactory(MusicPlayerFactory factory) {
    installedFactory() = std::move(factory);
}
