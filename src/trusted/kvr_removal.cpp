#include "trusted/kvr_removal.h"

#include "trusted/kvr_reader.h"
#include "trusted/kvr_text.h"

#include <algorithm>
#include <vector>

namespace zerva {

namespace {

// The entries of one line: an empty line is one empty entry.
QStringList LineEntries(QStringView line)
{
    return line.isEmpty() ? QStringList{QString()} : ReadKvr(line);
}

} // namespace

KvrRemoval::KvrRemoval(const QStringList& listed, const QList<int>& rows)
{
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    sorted.erase(sorted.begin(), std::lower_bound(sorted.begin(), sorted.end(), 0));
    QHash<QString, qsizetype> seen;
    qsizetype next = 0;
    for (qsizetype r = 0; r < listed.size() && next < sorted.size(); ++r) {
        const qsizetype copy = seen[listed[r]]++;
        if (sorted[next] == r) {
            m_wanted[listed[r]].push_back(copy);
            ++next;
        }
    }
}

bool KvrRemoval::apply(KvrText& text)
{
    m_removed = 0;
    m_unencodable = false;

    // Every entry, with the line it stands on.
    QStringList entries;
    std::vector<qsizetype> lineOf;
    QHash<QString, QList<qsizetype>> copies;   // entry text -> its positions
    for (qsizetype l = 0; l < text.lineCount(); ++l) {
        for (QString& e : LineEntries(text.line(l))) {
            if (m_wanted.contains(e))
                copies[e].push_back(entries.size());
            entries.push_back(std::move(e));
            lineOf.push_back(l);
        }
    }

    std::vector<bool> gone(std::size_t(entries.size()), false);
    for (auto it = m_wanted.cbegin(); it != m_wanted.cend(); ++it) {
        const QList<qsizetype> at = copies.value(it.key());
        qsizetype missing = 0;
        for (const qsizetype n : it.value()) {
            if (n < at.size())
                gone[std::size_t(at[n])] = true;
            else
                ++missing;
        }
        // Fewer copies than listed: the last ones that are left.
        for (qsizetype i = at.size() - 1; i >= 0 && missing > 0; --i) {
            if (!gone[std::size_t(at[i])]) {
                gone[std::size_t(at[i])] = true;
                --missing;
            }
        }
    }
    m_removed = std::count(gone.begin(), gone.end(), true);
    if (m_removed == 0)
        return false;

    // From the last line up, so that the lines above keep their numbers.
    qsizetype e = entries.size();
    for (qsizetype l = text.lineCount() - 1; l >= 0; --l) {
        QStringList left;
        bool changed = false;
        for (; e > 0 && lineOf[std::size_t(e - 1)] == l; --e) {
            if (gone[std::size_t(e - 1)])
                changed = true;
            else
                left.push_front(entries[e - 1]);
        }
        if (!changed)
            continue;
        text.removeLine(l);
        for (qsizetype k = left.size() - 1; k >= 0; --k) {
            if (!text.insertEntry(l, left[k])) {
                m_unencodable = true;
                return false;
            }
        }
    }
    return true;
}

} // namespace zerva
