// The traffic sampler: its arithmetic and labels as tables, then against the simulated router
// (whose counters grow every second) and the scripted agent for counters that go backwards, reads
// that go unanswered and a router that goes away.
#include "TrafficSampler.h"

#include "Agents.h"
#include "CoreHarness.h"
#include "FakeAgent.h"

#include <gtest/gtest.h>
#include <thread>

using core::TrafficSampler;

TEST(TrafficArithmetic, RatesLabelsAndReadings) {
    const struct {
        int64_t octets;
        int interval;
        int64_t kbps;
    } rates[] = {{625'000, 5, 1000}, {100, 30, 0}, {1'000'000'000'000, 1, 8'000'000'000}};
    for (const auto& r : rates)
        EXPECT_EQ(core::RateKbps(r.octets, r.interval), r.kbps) << r.octets;

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
        TrafficSampler sampler(h.query, h.stats, h.clock);
        ASSERT_TRUE(sampler.Start(1));
        // The 64-bit counters start above what 32 bits hold; the 32-bit ones below.
        EXPECT_EQ(sampler.PrevInOctets() > 5'000'000'000, hc);
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        const core::TrafficPoint point = sampler.Tick(1);
        // About 401000 (ifX) or 400000 octets a second in, 53000 or 52000 out.
        EXPECT_GT(point.in, 2000) << hc;
        EXPECT_GT(point.out, 200) << hc;
        EXPECT_LT(point.out, point.in);
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
        sampler.Tick(5);
    const auto& points = sampler.Window().Points();
    ASSERT_EQ(points.size(), 25u);
    EXPECT_EQ(points.front().x, 5);
    EXPECT_EQ(points.back().x, 29);
    sampler.Clear();
    EXPECT_EQ(sampler.Tick(5).x, 30);
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

TEST(SamplerFaults, LowerReadingsRebaseAndUnansweredOnesKeepTheBase) {
    fake::FakeAgent agent;
    agent.Add(Prefix + "1.1.0", "TAVIX", snmp::tag::OctetString);
    const std::string in = Prefix + "31.1.1.1.6.7";
    const std::string out = Prefix + "31.1.1.1.10.7";
    agent.Add(out, "0", snmp::tag::Counter64);
    Harness h(agent.Address(), true);
    h.stats.WanIfxIndex = "7";
    TrafficSampler sampler(h.query, h.stats, h.clock);
    agent.Add(in, "1000000", snmp::tag::Counter64);
    ASSERT_TRUE(sampler.Start(5));

    const struct {
        const char* reading; // nullptr: the read goes unanswered
        int64_t rate;
        int64_t base;
    } steps[] = {{"1625000", 1000, 1'625'000},
                 {"500", 0, 500}, // the router restarted: measured from here on
                 {"625500", 1000, 625'500},
                 {nullptr, 0, 625'500}};
    for (const auto& s : steps) {
        if (s.reading)
            agent.Add(in, s.reading, snmp::tag::Counter64);
        else
            agent.Ignore(in);
        EXPECT_EQ(sampler.Tick(5).in, s.rate) << (s.reading ? s.reading : "unanswered");
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
    EXPECT_EQ(sampler.Tick(1).in, 0);
    EXPECT_EQ(relay.RequestCount() - sent, 2); // one read and its probe
    EXPECT_FALSE(h.query.RouterPresent);
    EXPECT_FALSE(sampler.Start(1));
    sampler.Tick(1);
    EXPECT_EQ(relay.RequestCount() - sent, 2);
}
