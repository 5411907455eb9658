#include "process/process_values.h"

#include "process/details_block.h"

namespace zerva {

namespace {

constexpr std::uint8_t PriorityBit = 1u << 5;
constexpr std::uint8_t PageFileUsageBit = 1u << 6;
constexpr std::uint8_t ThreadCountBit = 1u << 7;

bool sameNumber(bool present, std::int64_t kept, const std::optional<std::int64_t>& value)
{
    return value ? present && kept == *value : !present;
}

} // namespace

ProcessValues::ProcessValues(const ProcessInfo& p, std::shared_ptr<const ProcessSource> commandLines)
    : m_commandLines(std::move(commandLines)), m_pid(p.pid), m_startTime(p.startTime.value_or(0)),
      m_hasStartTime(p.startTime.has_value())
{
    const std::optional<std::string>* texts[Fields] = {&p.executablePath, &p.commandLine, &p.name, &p.caption,
                                                        &p.description};
    std::size_t total = 0;
    for (const auto* t : texts)
        total += *t ? (*t)->size() : 0;
    // Only texts of 4 GiB would not fit a span; they are cut (none comes
    // near: command lines are cut at 32 KiB).
    m_texts.reserve(std::min<std::size_t>(total, UINT32_MAX));
    for (int f = 0; f < Fields; ++f) {
        const std::optional<std::string>& value = *texts[f];
        if (!value)
            continue;
        m_present |= static_cast<std::uint8_t>(1u << f);
        const std::string_view v = std::string_view(*value).substr(0, UINT32_MAX);
        const std::string_view kept(m_texts);
        // The caption is usually the path's last part, and the name and
        // description the caption again.
        std::size_t at = std::string_view::npos;
        for (int e = 0; e < f && at == std::string_view::npos; ++e) {
            const std::optional<std::string_view> earlier = field(static_cast<Field>(e));
            if (earlier && earlier->size() >= v.size() && earlier->substr(earlier->size() - v.size()) == v)
                at = m_spans[static_cast<std::size_t>(e)].at + earlier->size() - v.size();
        }
        if (at == std::string_view::npos && kept.size() + v.size() <= UINT32_MAX) {
            at = kept.size();
            m_texts.append(v);
        }
        if (at != std::string_view::npos)
            m_spans[static_cast<std::size_t>(f)] = {static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(v.size())};
    }
    m_texts.shrink_to_fit();
    if (p.priority) {
        m_present |= PriorityBit;
        m_priority = *p.priority;
    }
    if (p.pageFileUsage) {
        m_present |= PageFileUsageBit;
        m_pageFileUsage = *p.pageFileUsage;
    }
    if (p.threadCount && *p.threadCount >= INT32_MIN && *p.threadCount <= INT32_MAX) {
        m_present |= ThreadCountBit;
        m_threadCount = static_cast<std::int32_t>(*p.threadCount);
    }
}

std::optional<std::string_view> ProcessValues::field(Field f) const
{
    if (!(m_present & (1u << f)))
        return std::nullopt;
    const Span s = m_spans[static_cast<std::size_t>(f)];
    return std::string_view(m_texts).substr(s.at, s.size);
}

bool ProcessValues::sameText(Field f, const std::optional<std::string>& value) const
{
    const std::optional<std::string_view> kept = field(f);
    return value ? kept && *kept == *value : !kept;
}

bool ProcessValues::sameAs(const ProcessInfo& p) const
{
    return sameNumber(m_present & PriorityBit, m_priority, p.priority)
        && sameNumber(m_present & PageFileUsageBit, m_pageFileUsage, p.pageFileUsage)
        && sameNumber(m_present & ThreadCountBit, m_threadCount, p.threadCount)
        && sameText(Path, p.executablePath) && sameText(CommandLine, p.commandLine) && sameText(Name, p.name)
        && sameText(Caption, p.caption) && sameText(Description, p.description);
}

QString ProcessValues::text() const
{
    const auto number = [&](std::uint8_t bit, std::int64_t v) {
        return (m_present & bit) ? std::optional<std::int64_t>(v) : std::nullopt;
    };
    std::optional<std::string> read;
    if (m_commandLines && m_hasStartTime)
        read = m_commandLines->commandLine(m_pid, m_startTime);
    const std::optional<std::string_view> commandLine =
        m_commandLines ? (read ? std::optional<std::string_view>(*read) : std::nullopt) : field(CommandLine);
    return DetailsBlock(DetailsValues{number(PriorityBit, m_priority), commandLine,
                                      number(PageFileUsageBit, m_pageFileUsage), number(ThreadCountBit, m_threadCount),
                                      field(Name), field(Caption), field(Description)});
}

} // namespace zerva
