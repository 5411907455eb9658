#include "trusted/link_entries.h"

#include "platform/controls/list_view.h"
#include "trusted/entry_target.h"
#include "trusted/lower_case.h"

#include <QSet>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace zerva {

// One search on its thread, with its own copy of the entries; what it found
// is read once `done` is set.
struct LinkEntries::Search {
    QStringList entries;
    std::atomic<bool> cancel{false};
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;   // under mutex
    QStringList found;
    Clock::duration took{};
};

namespace {

// The entries of `entries` that lead elsewhere, each once.
template <class Entries, class Stop>
QStringList Find(int count, const Entries& entry, const Stop& stop)
{
    QStringList found;
    QSet<QString> seen;
    for (int i = 0; i < count && !stop(); ++i) {
        const QString e = entry(i);
        if (LeadsElsewhere(e) && !seen.contains(e)) {
            seen.insert(e);
            found.push_back(e);
        }
    }
    return found;
}

// Whether `entry` is still an entry of `trList`.
bool IsEntry(const ListView& trList, const QString& entry)
{
    for (const int row : trList.items().rowsWithKey(LowerCase(entry), &LowerCase))
        if (trList.text(row) == entry)
            return true;
    return false;
}

} // namespace

LinkEntries::LinkEntries() = default;

LinkEntries::~LinkEntries()
{
    // A search on its thread stops at its next entry; it holds all it uses.
    if (m_running)
        m_running->cancel = true;
}

const QMultiHash<QString, QString>& LinkEntries::targets(const ListView& trList)
{
    const quint64 revision = trList.items().revision();
    if (!m_searchedOnce || revision != m_revision) {
        m_revision = revision;
        // Until the new search ends, the links found before it that are
        // still entries; never one that was taken out.
        QStringList kept;
        for (const QString& e : std::as_const(m_found))
            if (IsEntry(trList, e))
                kept.push_back(e);
        m_found = kept;
        search(trList);
    } else {
        takeFinished();
        if (!m_running && Clock::now() - m_searched >= std::max<Clock::duration>(searchAgainAfter, m_took * 20))
            search(trList);
    }
    m_targets.clear();
    for (const QString& entry : std::as_const(m_found))
        if (const std::optional<QString> target = EntryTarget(entry); target && *target != entry)
            m_targets.insert(*target, entry);
    return m_targets;
}

void LinkEntries::search(const ListView& trList)
{
    if (m_running) {
        m_running->cancel = true;
        m_running.reset();
    }
    m_searchedOnce = true;
    m_searched = Clock::now();
    const int count = trList.count();
    if (count <= SearchAtOnce) {
        m_found = Find(count, [&](int i) { return trList.text(i); }, [] { return false; });
        m_took = Clock::now() - m_searched;
        return;
    }
    if (!onThread) {
        m_found.clear();
        return;
    }
    auto search = std::make_shared<Search>();
    search->entries.reserve(count);
    for (int i = 0; i < count; ++i)
        search->entries.push_back(trList.text(i));
    std::thread([search] {
        const Clock::time_point start = Clock::now();
        QStringList found = Find(
            int(search->entries.size()), [&](int i) { return search->entries.at(i); },
            [&] { return search->cancel.load(); });
        search->entries = QStringList();
        const std::lock_guard lock(search->mutex);
        search->found = std::move(found);
        search->took = Clock::now() - start;
        search->done = true;
        search->ended.notify_all();
    }).detach();
    m_running = std::move(search);
}

void LinkEntries::takeFinished()
{
    if (!m_running)
        return;
    {
        const std::lock_guard lock(m_running->mutex);
        if (!m_running->done)
            return;
        m_found = std::move(m_running->found);
        m_took = m_running->took;
    }
    m_running.reset();
}

void LinkEntries::waitForSearch()
{
    if (!m_running)
        return;
    std::unique_lock lock(m_running->mutex);
    m_running->ended.wait(lock, [this] { return m_running->done; });
}

} // namespace zerva
