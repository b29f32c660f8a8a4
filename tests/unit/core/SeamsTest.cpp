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

TEST(BusyCursorScope, RestoresOnEveryWayOut) {
    testing_seams::CountingCursor cursor;
    {
        core::BusyCursorScope busy(cursor);
        EXPECT_TRUE(cursor.IsBusy());
    }
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
