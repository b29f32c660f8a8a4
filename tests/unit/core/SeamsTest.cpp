#include "core/Seams.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace {

using core::Sound;

std::vector<Sound> fallbackPlayed;
void RecordFallback(Sound sound) {
    fallbackPlayed.push_back(sound);
}

// With no way to play a desktop sound the caller's beep must still be heard, once per request;
// without a fallback the request is silently dropped.
TEST(SystemSounds, FallsBackWhenNoSoundCanBePlayed) {
    setenv("CANBERRA_DRIVER", "no-such-driver", 1);
    {
        core::SystemSounds sounds(RecordFallback);
        for (Sound s : {Sound::Error, Sound::Information, Sound::Default, Sound::Error})
            sounds.Play(s);
        core::SystemSounds().Play(Sound::Error);
    }
    unsetenv("CANBERRA_DRIVER");
    EXPECT_EQ(fallbackPlayed,
              (std::vector<Sound>{Sound::Error, Sound::Information, Sound::Default, Sound::Error}));
}

} // namespace
