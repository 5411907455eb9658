#include "process/row_texts.h"

#include "process/details_block.h"
#include "process/display_text.h"

namespace zerva {

namespace {

QString decoded(const std::optional<std::string>& value)
{
    return value ? DisplayText(*value) : QString();
}

QString entryPathOf(const std::optional<std::string>& raw, const QString& shown)
{
    if (!raw || !QByteArrayView(raw->data(), qsizetype(raw->size())).isValidUtf8())
        return QString();
    QString entry = QString::fromUtf8(raw->data(), qsizetype(raw->size()));
    return entry == shown ? shown : entry;
}

bool sameDetails(const ProcessInfo& a, const ProcessInfo& b)
{
    return a.priority == b.priority && a.commandLine == b.commandLine && a.pageFileUsage == b.pageFileUsage
        && a.threadCount == b.threadCount && a.name == b.name && a.caption == b.caption
        && a.description == b.description;
}

} // namespace

RowTexts::Entry& RowTexts::entryOf(const ProcessInfo& process)
{
    Entry& e = m_entries[process.pid];
    e.pass = m_pass;
    return e;
}

const QString& RowTexts::caption(const ProcessInfo& p)
{
    Entry& e = entryOf(p);
    if (e.captionOf != p.caption) {
        e.caption = decoded(p.caption);
        e.captionOf = p.caption;
    }
    return e.caption;
}

const QString& RowTexts::path(const ProcessInfo& p)
{
    Entry& e = entryOf(p);
    if (e.pathOf != p.executablePath) {
        e.path = decoded(p.executablePath);
        e.entryPath = entryPathOf(p.executablePath, e.path);
        e.pathOf = p.executablePath;
    }
    return e.path;
}

const QString& RowTexts::entryPath(const ProcessInfo& p)
{
    path(p);   // made with the path
    return entryOf(p).entryPath;
}

const QString& RowTexts::details(const ProcessInfo& p)
{
    Entry& e = entryOf(p);
    if (!e.detailsOf || !sameDetails(*e.detailsOf, p)) {
        e.details = DetailsBlock(p);
        e.detailsOf = p;
    }
    return e.details;
}

void RowTexts::sweep()
{
    for (auto it = m_entries.begin(); it != m_entries.end();)
        it = it->second.pass == m_pass ? std::next(it) : m_entries.erase(it);
    ++m_pass;
}

} // namespace zerva
