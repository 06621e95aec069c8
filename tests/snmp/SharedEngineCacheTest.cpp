// Two reads of one agent that overlap, each on its own loan of the shared
// engine cache: what each learnt comes back without undoing the other's newer
// knowledge.

#include "SharedEngineCache.h"
#include "UsmKeys.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kHost = "192.0.2.7";

SnmpEngineState engine(const std::string& id, std::uint32_t boots, std::uint32_t time,
                       bool synchronised = true)
{
    SnmpEngineState state;
    state.EngineID = id;
    state.Boots = boots;
    state.Time = time;
    state.LatestReceivedTime = time;
    state.Synchronised = synchronised;
    return state;
}

using Change = std::function<void(SnmpEngineCache&)>;

Change put(SnmpEngineState state)
{
    return [state](SnmpEngineCache& cache) { cache.put(snmpAgentKey(kHost), state); };
}

void forget(SnmpEngineCache& cache)
{
    cache.forget(snmpAgentKey(kHost));
}

void nothing(SnmpEngineCache&) {}

TEST(SharedEngineCache, OverlappingReadsKeepTheNewestEngine)
{
    const struct
    {
        const char* what;
        std::optional<SnmpEngineState> start;
        Change first;                       // the read that gives its loan back first
        Change second;                      // the read that lent at the same time, back later
        std::optional<std::uint32_t> boots; // of the engine kept; none: forgotten
        const char* id;
    } cases[] = {
        {"one read learns the engine", std::nullopt, nothing, put(engine("A", 3, 10)), 3u, "A"},
        {"both learn it, the later one later", std::nullopt, put(engine("A", 3, 10)),
         put(engine("A", 3, 12)), 3u, "A"},
        {"a read forgets a doubtful engine", engine("A", 3, 10), nothing, forget, std::nullopt, ""},
        {"a newer engine is not undone by an older view", engine("A", 3, 10),
         put(engine("A", 4, 1)), put(engine("A", 3, 40)), 4u, "A"},
        {"nor by a read that forgot it", engine("A", 3, 10), put(engine("A", 4, 1)), forget, 4u,
         "A"},
        {"a read that learnt nothing leaves the other's", engine("A", 3, 10),
         put(engine("A", 4, 1)), nothing, 4u, "A"},
        {"a newer view replaces an older one", engine("A", 3, 10), put(engine("A", 3, 20)),
         put(engine("A", 5, 2)), 5u, "A"},
        {"an authenticated view beats a first guess", std::nullopt, put(engine("A", 9, 12, false)),
         put(engine("A", 2, 10)), 2u, "A"},
        {"a new engine id found after another forgot", engine("A", 3, 10), forget,
         put(engine("B", 1, 5)), 1u, "B"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SharedEngineCache shared;
        if (c.start) {
            SharedEngineCache::Loan seed = shared.lend(kHost);
            seed.cache.put(snmpAgentKey(kHost), *c.start);
            shared.giveBack(seed);
        }
        SharedEngineCache::Loan one = shared.lend(kHost);
        SharedEngineCache::Loan two = shared.lend(kHost);
        c.first(one.cache);
        shared.giveBack(one);
        c.second(two.cache);
        shared.giveBack(two);
        const std::optional<SnmpEngineState> kept = shared.engine(kHost);
        ASSERT_EQ(kept.has_value(), c.boots.has_value());
        if (kept) {
            EXPECT_EQ(kept->Boots, *c.boots);
            EXPECT_EQ(kept->EngineID, c.id);
        }
    }
}

// What one read learnt of an agent is lent to the next read of it, and to no
// read of another agent.
TEST(SharedEngineCache, LoansCarryTheirAgentsEngine)
{
    SharedEngineCache shared;
    SharedEngineCache::Loan first = shared.lend(kHost);
    first.cache.put(snmpAgentKey(kHost), engine("A", 1, 1));
    shared.giveBack(first);

    SharedEngineCache::Loan again = shared.lend(kHost);
    ASSERT_NE(again.cache.find(snmpAgentKey(kHost)), nullptr);
    EXPECT_EQ(again.cache.find(snmpAgentKey(kHost))->EngineID, "A");
    EXPECT_TRUE(again.before.has_value());

    SharedEngineCache::Loan other = shared.lend("192.0.2.8");
    EXPECT_EQ(other.cache.find(snmpAgentKey("192.0.2.8")), nullptr);
    EXPECT_EQ(other.cache.find(snmpAgentKey(kHost)), nullptr);
    EXPECT_FALSE(other.before.has_value());
}

// An agent that shows a new engine id at every request, as each read meets
// it: discovery, keys for the user, the loan given back.
void churn(SharedEngineCache& shared, const std::string& host, int requests,
           const std::vector<std::string>& passwords)
{
    for (int i = 0; i < requests; ++i) {
        SharedEngineCache::Loan loan = shared.lend(host);
        const std::string id = host + "#" + std::to_string(i);
        loan.cache.learn(loan.agent, id, 1, 1, SnmpEngineState::Clock::now());
        for (const std::string& password : passwords) {
            const std::string key = loan.cache.localizedKey(AuthProtocol::SHA1, password, id);
            // The keys are right, not only few (checked now and then: the
            // stretch of a password is a megabyte of hashing).
            if (i % 97 == 0) {
                EXPECT_EQ(key, localizedKeyFromPassword(AuthProtocol::SHA1, password, id));
            }
        }
        shared.giveBack(loan);
    }
}

TEST(SharedEngineCache, StaysBoundedWhenAnAgentChangesItsEngineIdAtEveryRequest)
{
    const std::vector<std::string> two{"authPassword", "privPassword"};
    const struct
    {
        const char* what;
        int agents;
        int requests;
        std::vector<std::string> passwords;
        std::size_t engines;
        std::size_t keys; // localised for the engine ids held, plus one stretched per password
    } cases[] = {
        {"one agent, one request", 1, 1, two, 1, 4},
        {"one agent, 300 engine ids", 1, 300, two, 1, 4},
        {"three agents, 100 engine ids each", 3, 100, two, 3, 3 * 2 + 2},
        {"one agent, more users than are kept per engine",
         1,
         20,
         {"p1", "p2", "p3", "p4", "p5", "p6", "p7", "p8", "p9", "p10"},
         1,
         SnmpEngineCache::kMaxKeysPerEngine + 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SharedEngineCache shared;
        for (int agent = 0; agent < c.agents; ++agent)
            churn(shared, "192.0.2." + std::to_string(10 + agent), c.requests, c.passwords);
        EXPECT_EQ(shared.engineCount(), c.engines);
        EXPECT_EQ(shared.keyCount(), c.keys);
    }
}

TEST(SnmpEngineCache, KeepsKeysOnlyForEngineIdsAnAddressHas)
{
    SnmpEngineCache cache;
    const auto now = SnmpEngineState::Clock::now();
    // One engine reached under two addresses shares its keys.
    cache.learn("a|161", "E1", 1, 1, now);
    cache.learn("b|161", "E1", 1, 1, now);
    const std::string key = cache.localizedKey(AuthProtocol::SHA256, "secretWord", "E1");
    EXPECT_EQ(key, localizedKeyFromPassword(AuthProtocol::SHA256, "secretWord", "E1"));
    EXPECT_EQ(cache.keyCount(), 2u); // localised and stretched
    cache.forget("a|161");
    EXPECT_EQ(cache.keyCount(), 2u);
    // The last address with E1 moves on: E1's key goes, the stretched key stays.
    cache.learn("b|161", "E2", 1, 1, now);
    EXPECT_EQ(cache.keyCount(), 1u);
    EXPECT_EQ(cache.localizedKey(AuthProtocol::SHA256, "secretWord", "E2"),
              localizedKeyFromPassword(AuthProtocol::SHA256, "secretWord", "E2"));
    EXPECT_EQ(cache.keyCount(), 2u);
    // A second password of the same engine has keys of its own.
    EXPECT_EQ(cache.localizedKey(AuthProtocol::SHA256, "otherWord", "E2"),
              localizedKeyFromPassword(AuthProtocol::SHA256, "otherWord", "E2"));
    EXPECT_EQ(cache.keyCount(), 4u);
    // Nothing is derived from nothing.
    EXPECT_EQ(cache.localizedKey(AuthProtocol::SHA256, "", "E2"), "");
    EXPECT_EQ(cache.localizedKey(AuthProtocol::None, "secretWord", "E2"), "");
    EXPECT_EQ(cache.keyCount(), 4u);
}

} // namespace
