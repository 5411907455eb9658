#pragma once

#include "platform/os/exec_watch.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zerva {

// The last execs, and which of them ran unseen: a program that ended (or
// was replaced by another exec) before any refresh listed it. Those that
// are not trusted are shown; trusted ones are only counted.
//
// A ring of `capacity` entries, each exec O(1) (amortised, one hash lookup);
// a refresh walks only the execs since the previous one. What is not shown
// keeps no texts, so the ring holds the paths and command lines of shown
// programs only.
//
// An exec is judged at the first refresh whose scan began after it: listed
// when that scan (or, for one read late, the scan before) saw its process
// (same id and start time) still running it; otherwise it ran unseen. A
// process whose start time could not be read had already ended: unseen.
class ExecRecord {
public:
    static constexpr std::size_t DefaultCapacity = 10000;

    // What the trust test says of a program that ran unseen.
    enum class Judgement : std::uint8_t {
        Trusted,
        NotTrusted,   // no trusted entry names its path
        NoPath,       // its program could not be read in time
        OtherFile,    // its path is trusted, but it ran another file
    };
    using Judge = std::function<Judgement(const ExecSeen&)>;

    enum class Fate : std::uint8_t { Pending, Listed, Shown, Trusted };
    struct Entry {
        ExecSeen exec;
        std::uint64_t number = 0;   // 1, 2, ... in the order added
        Fate fate = Fate::Pending;
        Judgement judgement = Judgement::NotTrusted;
        // When the same process started another program.
        std::optional<std::chrono::steady_clock::time_point> replacedAt;
    };

    // A process a refresh's scan read.
    struct Seen {
        std::int64_t pid = 0;
        std::uint64_t startTime = 0;
        auto operator<=>(const Seen&) const = default;
    };

    explicit ExecRecord(std::size_t capacity = DefaultCapacity);

    void add(ExecSeen exec);
    // Execs were lost before they reached the record.
    void lose(std::chrono::system_clock::time_point when);
    // After a refresh: its scan began at `scanStart` and read `seen` (any
    // order; taken over).
    void refreshed(std::chrono::steady_clock::time_point scanStart, std::vector<Seen> seen, const Judge& judge);

    // Shown entries that became shown after the `serial`th one (0: all still
    // held), in the order they became shown; returns the serial of the last.
    std::uint64_t shownAfter(std::uint64_t serial, const std::function<void(const Entry&)>& each) const;
    // The entry numbered `number`, while the ring holds it.
    const Entry* entry(std::uint64_t number) const;
    // Entries numbered below this one are gone from the ring.
    std::uint64_t oldestNumber() const { return m_next > m_capacity ? m_next - m_capacity : 1; }
    std::uint64_t newestNumber() const { return m_next - 1; }

    // How many shown entries ran since `since`.
    std::size_t shownSince(std::chrono::steady_clock::time_point since) const;
    std::uint64_t shownTotal() const { return m_shownTotal; }
    std::uint64_t trustedTotal() const { return m_trustedTotal; }
    std::uint64_t listedTotal() const { return m_listedTotal; }
    // When execs were last lost (before the record, or pushed out of it
    // before they could be judged); none while nothing was.
    const std::optional<std::chrono::system_clock::time_point>& lastLoss() const { return m_lastLoss; }
    std::size_t capacity() const { return m_capacity; }

private:
    Entry& slot(std::uint64_t number) { return m_ring[(number - 1) % m_capacity]; }
    const Entry& slot(std::uint64_t number) const { return m_ring[(number - 1) % m_capacity]; }
    void resolve(Entry& e, std::chrono::steady_clock::time_point scanStart, const Judge& judge);
    static bool holds(const std::vector<Seen>& seen, const Entry& e);
    void forget(Entry& e);

    std::size_t m_capacity;
    // Grows to m_capacity as execs come, then wraps.
    std::vector<Entry> m_ring;
    std::uint64_t m_next = 1;
    // Every entry below this number is judged.
    std::uint64_t m_firstPending = 1;
    // Per process, its newest pending entry.
    std::unordered_map<std::int64_t, std::uint64_t> m_pendingOf;
    // The last two scans: what they saw, sorted, and when they began.
    std::vector<Seen> m_seen, m_seenBefore;
    std::optional<std::chrono::steady_clock::time_point> m_scanStart, m_scanBefore;
    // Numbers of shown entries in the order they became shown; the first
    // has serial m_shownSerialBase + 1.
    std::deque<std::uint64_t> m_shownOrder;
    std::uint64_t m_shownSerialBase = 0;
    std::uint64_t m_shownTotal = 0;
    std::uint64_t m_trustedTotal = 0;
    std::uint64_t m_listedTotal = 0;
    std::optional<std::chrono::system_clock::time_point> m_lastLoss;
};

} // namespace zerva
