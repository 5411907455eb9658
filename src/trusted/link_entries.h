#pragma once

#include <QMultiHash>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>

namespace zerva {

class ListView;

// The trusted entries that lead to another path than their own: a symbolic
// link (/usr/bin/python3 to python3.11, the programs under
// /etc/alternatives) or a path with a link on its way (/bin/sleep where /bin
// leads to /usr/bin). The system reports a running program by the path of
// its file, never by the link it was started through; so such an entry
// trusts the file it leads to when trust is decided, as the shell would run
// it (see EntryTarget).
//
// Which entries lead elsewhere is searched once for each content of the
// list, and again now and then (links come and go): one look at each entry.
// Where each of them leads is looked up at every refresh, so that a link
// turned to another file is followed at once. A refresh thus costs a lookup
// per entry that leads elsewhere, and nothing for the others, however many.
class LinkEntries {
public:
    LinkEntries();
    ~LinkEntries();
    LinkEntries(const LinkEntries&) = delete;
    LinkEntries& operator=(const LinkEntries&) = delete;

    // A list of up to this many entries is searched at once, in the refresh
    // that first sees it (a few milliseconds). A longer one is searched on a
    // thread of its own while the refreshes go on, when onThread is set
    // (the window's memory); its links count from the refresh after the
    // search, and until then the links found in the list before it changed,
    // where they are still entries. Without onThread, the links of a longer
    // list are not followed.
    static constexpr int SearchAtOnce = 2000;
    bool onThread = false;
    // How long a search stands while the list does not change; a long
    // search (on its thread) stands for twenty times as long as it took.
    std::chrono::milliseconds searchAgainAfter{30'000};

    // For one refresh: the entries of `trList` that lead elsewhere, keyed by
    // where they lead now.
    const QMultiHash<QString, QString>& targets(const ListView& trList);

    // Waits until a search on its thread has ended (for tests).
    void waitForSearch();

private:
    struct Search;
    using Clock = std::chrono::steady_clock;

    void search(const ListView& trList);
    void takeFinished();

    QStringList m_found;   // the entries that lead elsewhere
    QMultiHash<QString, QString> m_targets;
    std::shared_ptr<Search> m_running;
    Clock::time_point m_searched;
    Clock::duration m_took{};
    quint64 m_revision = 0;
    bool m_searchedOnce = false;
};

} // namespace zerva
