// What the core tests share: a query and statistics over recording seams, aimed at one agent.
#pragma once

#include "TestSeams.h"
#include "core/RouterQuery.h"
#include "core/Statistics.h"

#include <QLocale>
#include <string>

inline const std::string Prefix = "1.3.6.1.2.1.";

struct Harness {
    core::Settings settings;
    testing_seams::RecordingSounds sounds;
    testing_seams::CountingCursor cursor;
    testing_seams::FixedClock clock{QDateTime(QDate(2026, 12, 6), QTime(12, 0, 0))};
    core::RouterQuery query{settings, sounds, cursor};
    core::Statistics stats{query, settings, clock};

    // `present`: as after a passed identity check, for agents that would not pass one.
    explicit Harness(const std::string& address, bool present = false,
                     const char* community = "public") {
        query.RouterPresent = present;
        // The formatters use the default locale's decimal separator.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        settings.IPAddress = QString::fromStdString(address);
        settings.Community = QString::fromLatin1(community);
    }
};

inline std::string Failure(const std::string& address) {
    return "Cannot communicate with Corvane router at " + address +
           "\nplease check router IP address and community in options";
}
