// The traffic sampler: its arithmetic and labels as tables, then against the simulated router
// (whose counters grow every second) and the scripted agent for counters that go backwards, reads
// that go unanswered and a router that goes away.
#include "core/TrafficSampler.h"

#include "Agents.h"
#include "CoreHarness.h"
#include "FakeAgent.h"

#include <gtest/gtest.h>
#include <thread>

using core::TrafficSampler;

TEST(TrafficArithmetic, RatesLabelsAndReadings) {
    const struct {
        int64_t octets;
        int64_t ms;
        int64_t kbps;
    } rates[] = {{625'000, 5000, 1000},
                 {100, 30000, 0},
                 {1'000'000'000'000, 1000, 8'000'000'000},
                 {1'000'000, 2999, 2667},
                 {5, 0, 0}};
    for (const auto& r : rates)
        EXPECT_EQ(core::RateKbps(r.octets, std::chrono::milliseconds(r.ms)), r.kbps) << r.octets;

    const std::pair<QTime, const char*> labels[] = {{QTime(15, 4, 5), " 3:04:05"},
                                                    {QTime(0, 30, 0), " 12:30:00"},
                                                    {QTime(12, 0, 9), " 12:00:09"}};
    for (const auto& [time, text] : labels)
        EXPECT_EQ(core::SampleLabel(time), QString::fromLatin1(text));

    const std::pair<const char*, std::optional<int64_t>> readings[] = {
        {"NULL", std::nullopt},
        {"", std::nullopt},
        {"  9007000000", 9'007'000'000},
        {"-12x", -12},
        {"99999999999999999999", std::numeric_limits<int64_t>::max()}};
    for (const auto& [text, value] : readings)
        EXPECT_EQ(core::CounterReading(text), value) << text;
}

class Sampler : public testing::Test {
protected:
    void SetUp() override {
        router_ = SharedSimulatedRouter();
        ASSERT_NE(router_, nullptr);
    }
    // A harness checked against `address`, with the simulated router's interface indices.
    static void Aim(Harness& h) {
        h.query.CorvanePresent();
        h.stats.WanIfIndex = "4";
        h.stats.WanIfxIndex = "7";
        h.stats.AdslIfIndex = "3";
    }
    SimulatedRouter* router_ = nullptr;
};

TEST_F(Sampler, MeasuresTheGrowingCountersOfEitherWidth) {
    for (const bool hc : {true, false}) {
        Harness h(router_->Address());
        Aim(h);
        h.stats.UseHCCounters = hc;
        h.clock.RunMonotonic(); // the simulated router's counters grow with real time
        TrafficSampler sampler(h.query, h.stats, h.clock);
        ASSERT_TRUE(sampler.Start(1));
        // The 64-bit counters start above what 32 bits hold; the 32-bit ones below.
        EXPECT_EQ(sampler.PrevInOctets() > 5'000'000'000, hc);
        std::this_thread::sleep_for(std::chrono::milliseconds(1300));
        const core::TrafficPoint point = sampler.Tick();
        // 401000 (ifX) or 400000 octets a second in, 53000 or 52000 out.
        EXPECT_NEAR(point.in, hc ? 3208 : 3200, 160) << hc;
        EXPECT_NEAR(point.out, hc ? 424 : 416, 21) << hc;
        EXPECT_EQ(point.label, QStringLiteral(" 12:00:00"));
    }
}

TEST_F(Sampler, KeepsTheLast25PointsAndNeverResetsTheCount) {
    Harness h(router_->Address());
    Aim(h);
    TrafficSampler sampler(h.query, h.stats, h.clock);
    EXPECT_FALSE(sampler.Start(0));
    ASSERT_TRUE(sampler.Start(5));
    for (int i = 0; i < 30; ++i)
        sampler.Tick();
    const auto& points = sampler.Window().Points();
    ASSERT_EQ(points.size(), 25u);
    EXPECT_EQ(points.front().x, 5);
    EXPECT_EQ(points.back().x, 29);
    sampler.Clear();
    EXPECT_EQ(sampler.Tick().x, 30);
    EXPECT_EQ(sampler.Window().Points().size(), 1u);
}

TEST_F(Sampler, ScaleFromTheSettingOrTheDownstreamRate) {
    const struct {
        int graphScale;
        const char* adslIndex;
        bool present;
        int scale;
    } cases[] = {{0, "3", true, 8128},
                 {64, "3", true, 64},
                 {0, "99", true, 1536},
                 {0, "3", false, 1536},
                 {1536, "3", false, 1536}};
    for (const auto& c : cases) {
        Harness h(router_->Address());
        Aim(h);
        h.stats.AdslIfIndex = c.adslIndex;
        h.query.RouterPresent = c.present;
        EXPECT_EQ(TrafficSampler(h.query, h.stats, h.clock).Scale(c.graphScale), c.scale)
            << c.graphScale << " " << c.adslIndex;
    }
}

TEST(SamplerFaults, RatesOverTheTimePassedFromOneCounterWithAReadingToMeasureFrom) {
    fake::FakeAgent agent;
    agent.Add(Prefix + "1.1.0", "TAVIX", snmp::tag::OctetString);
    const std::string hcIn = Prefix + "31.1.1.1.6.7";
    const std::string in32 = Prefix + "2.2.1.10.4";
    Harness h(agent.Address(), true);
    h.stats.WanIfxIndex = "7";
    h.stats.WanIfIndex = "4";
    TrafficSampler sampler(h.query, h.stats, h.clock);
    ASSERT_TRUE(sampler.Start(5)); // the in counter reads "NULL": nothing to measure from
    EXPECT_EQ(sampler.PrevInOctets(), std::nullopt);

    const struct {
        int64_t ms; // since the step before
        bool hc;
        const char* reading; // nullptr: the read goes unanswered
        int64_t rate;
        int64_t base;
    } steps[] = {{5000, true, "1000000", 0, 1'000'000}, // the first reading: a base
                 {5000, true, "1625000", 1000, 1'625'000},
                 {15000, true, "3500000", 1000, 3'500'000}, // a tick held up by a blocked window
                 {5000, false, "4000000", 0, 4'000'000},    // 32 bits now: never against 64
                 {5000, false, "4625000", 1000, 4'625'000},
                 {5000, true, "5250000", 0, 5'250'000}, // and back
                 {5000, true, "500", 0, 500},           // the router restarted: measured from here
                 {5000, true, "625500", 1000, 625'500},
                 {5000, true, nullptr, 0, 625'500}};
    for (const auto& s : steps) {
        h.clock.AdvanceMSecs(s.ms);
        h.stats.UseHCCounters = s.hc;
        if (s.reading)
            agent.Add(s.hc ? hcIn : in32, s.reading, snmp::tag::Counter64);
        else
            agent.Ignore(hcIn);
        EXPECT_EQ(sampler.Tick().in, s.rate) << (s.reading ? s.reading : "unanswered");
        EXPECT_EQ(sampler.PrevInOctets(), s.base);
        EXPECT_TRUE(h.query.RouterPresent);
    }
}

TEST_F(Sampler, ALostRouterCostsOneTimeoutThenNothingIsSent) {
    fake::FakeAgent relay;
    relay.ForwardTo(router_->Address());
    Harness h(relay.Address());
    Aim(h);
    TrafficSampler sampler(h.query, h.stats, h.clock);
    ASSERT_TRUE(sampler.Start(1));
    relay.GoSilentAfter(0);
    const int sent = relay.RequestCount();
    EXPECT_EQ(sampler.Tick().in, 0);
    EXPECT_EQ(relay.RequestCount() - sent, 2); // one read and its probe
    EXPECT_FALSE(h.query.RouterPresent);
    EXPECT_FALSE(sampler.Start(1));
    sampler.Tick();
    EXPECT_EQ(relay.RequestCount() - sent, 2);
}
