#include "Seams.h"

#include "TestSeams.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace {

using core::Sound;

std::vector<Sound> fallbackPlayed;
void RecordFallback(Sound sound) {
    fallbackPlayed.push_back(sound);
}

// With no way to play a desktop sound the caller's beep must still be heard, once per request.
TEST(SystemSounds, FallsBackWhenNoSoundCanBePlayed) {
    setenv("CANBERRA_DRIVER", "no-such-driver", 1);
    fallbackPlayed.clear();
    {
        core::SystemSounds sounds(RecordFallback);
        sounds.Play(Sound::Error);
        sounds.Play(Sound::Information);
        sounds.Play(Sound::Default);
        sounds.Play(Sound::Error);
    }
    EXPECT_EQ(fallbackPlayed,
              (std::vector<Sound>{Sound::Error, Sound::Information, Sound::Default, Sound::Error}));
    unsetenv("CANBERRA_DRIVER");
}

TEST(SystemSounds, SurvivesAMissingSoundServerAndNoFallback) {
    // This machine has no sound server or card; whatever the library finds, playing is harmless.
    core::SystemSounds sounds;
    for (int i = 0; i < 3; ++i) {
        sounds.Play(Sound::Error);
        sounds.Play(Sound::Information);
        sounds.Play(Sound::Default);
    }
    fallbackPlayed.clear();
    core::SystemSounds withFallback(RecordFallback);
    withFallback.Play(Sound::Information);
    EXPECT_LE(fallbackPlayed.size(), 1U);
}

TEST(BusyCursorScope, RestoresOnEveryWayOut) {
    testing_seams::CountingCursor cursor;
    {
        core::BusyCursorScope busy(cursor);
        EXPECT_TRUE(cursor.IsBusy());
    }
    EXPECT_EQ(cursor.Depth(), 0);
    try {
        core::BusyCursorScope busy(cursor);
        throw std::runtime_error("fetch failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(cursor.BusyCount(), 2);
    EXPECT_EQ(cursor.RestoreCount(), 2);
    EXPECT_FALSE(cursor.IsBusy());
}

} // namespace
