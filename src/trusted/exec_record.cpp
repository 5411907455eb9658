#include "trusted/exec_record.h"

#include <algorithm>

namespace zerva {

ExecRecord::ExecRecord(std::size_t capacity) : m_capacity(std::max<std::size_t>(capacity, 1)) {}

void ExecRecord::add(ExecSeen exec)
{
    const std::uint64_t number = m_next++;
    if (m_ring.size() < m_capacity)
        m_ring.emplace_back();
    Entry& e = slot(number);
    if (e.number != 0 && e.fate == Fate::Pending) {
        // Pushed out before any refresh judged it: a program may have run
        // unseen, and that is told.
        m_lastLoss = exec.when;
        if (const auto it = m_pendingOf.find(e.exec.pid); it != m_pendingOf.end() && it->second == e.number)
            m_pendingOf.erase(it);
    }
    e = Entry{};
    e.exec = std::move(exec);
    e.number = number;
    const auto [it, added] = m_pendingOf.try_emplace(e.exec.pid, number);
    if (!added) {
        // The process's previous program ended here, whether or not the
        // record still holds it.
        Entry& before = slot(it->second);
        if (before.number == it->second && before.fate == Fate::Pending)
            before.replacedAt = e.exec.at;
        it->second = number;
    }
    m_firstPending = std::max(m_firstPending, oldestNumber());
    while (!m_shownOrder.empty() && m_shownOrder.front() < oldestNumber()) {
        m_shownOrder.pop_front();
        ++m_shownSerialBase;
    }
}

void ExecRecord::lose(std::chrono::system_clock::time_point when)
{
    m_lastLoss = when;
}

bool ExecRecord::holds(const std::vector<Seen>& seen, const Entry& e)
{
    return std::binary_search(seen.begin(), seen.end(), Seen{e.exec.pid, *e.exec.startTime});
}

void ExecRecord::refreshed(std::chrono::steady_clock::time_point scanStart, std::vector<Seen> seen, const Judge& judge)
{
    std::sort(seen.begin(), seen.end());
    m_seenBefore.swap(m_seen);
    m_seen = std::move(seen);
    m_scanBefore = m_scanStart;
    m_scanStart = scanStart;
    std::uint64_t firstPending = m_next;
    for (std::uint64_t n = m_firstPending; n < m_next; ++n) {
        Entry& e = slot(n);
        if (e.fate != Fate::Pending)
            continue;
        // The scan may have begun before this exec: the next one judges it.
        if (e.exec.at >= scanStart) {
            firstPending = std::min(firstPending, n);
            continue;
        }
        resolve(e, scanStart, judge);
    }
    m_firstPending = firstPending;
}

void ExecRecord::resolve(Entry& e, std::chrono::steady_clock::time_point scanStart, const Judge& judge)
{
    if (const auto it = m_pendingOf.find(e.exec.pid); it != m_pendingOf.end() && it->second == e.number)
        m_pendingOf.erase(it);
    // Listed only while the process still ran this program when a scan
    // that began after the exec saw it.
    const auto ranAt = [&](std::chrono::steady_clock::time_point t) { return !e.replacedAt || *e.replacedAt > t; };
    bool listed = false;
    if (!e.exec.replaced && e.exec.startTime) {
        listed = (ranAt(scanStart) && holds(m_seen, e))
            || (m_scanBefore && *m_scanBefore > e.exec.at && ranAt(*m_scanBefore) && holds(m_seenBefore, e));
    }
    if (listed) {
        e.fate = Fate::Listed;
        ++m_listedTotal;
        forget(e);
        return;
    }
    e.judgement = judge ? judge(e.exec) : Judgement::NotTrusted;
    if (e.judgement == Judgement::Trusted) {
        e.fate = Fate::Trusted;
        ++m_trustedTotal;
        forget(e);
        return;
    }
    e.fate = Fate::Shown;
    ++m_shownTotal;
    m_shownOrder.push_back(e.number);
}

// What is not shown keeps no texts.
void ExecRecord::forget(Entry& e)
{
    e.exec.path.reset();
    e.exec.name.reset();
    e.exec.commandLine.reset();
    e.exec.account.reset();
}

std::uint64_t ExecRecord::shownAfter(std::uint64_t serial, const std::function<void(const Entry&)>& each) const
{
    const std::uint64_t first = std::max(serial, m_shownSerialBase) - m_shownSerialBase;
    for (std::size_t i = static_cast<std::size_t>(first); i < m_shownOrder.size(); ++i) {
        if (const Entry* e = entry(m_shownOrder[i]))
            each(*e);
    }
    return m_shownSerialBase + m_shownOrder.size();
}

const ExecRecord::Entry* ExecRecord::entry(std::uint64_t number) const
{
    if (number == 0 || number >= m_next || number < oldestNumber())
        return nullptr;
    const Entry& e = slot(number);
    return e.number == number ? &e : nullptr;
}

std::size_t ExecRecord::shownSince(std::chrono::steady_clock::time_point since) const
{
    std::size_t count = 0;
    for (auto it = m_shownOrder.rbegin(); it != m_shownOrder.rend(); ++it) {
        const Entry* e = entry(*it);
        if (!e)
            break;
        if (e->exec.at < since)
            break;   // shown in the order they ran, near enough
        ++count;
    }
    return count;
}

} // namespace zerva
