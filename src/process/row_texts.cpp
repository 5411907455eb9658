#include "process/row_texts.h"

#include "process/display_text.h"

namespace zerva {

namespace {

QString decoded(const std::optional<std::string_view>& value)
{
    return value ? DisplayText(*value) : QString();
}

QString entryPathOf(const std::optional<std::string_view>& raw, const QString& shown)
{
    if (!raw || !QByteArrayView(raw->data(), qsizetype(raw->size())).isValidUtf8())
        return QString();
    QString entry = QString::fromUtf8(raw->data(), qsizetype(raw->size()));
    return entry == shown ? shown : entry;
}

} // namespace

const RowTexts::Texts& RowTexts::of(const ProcessInfo& p)
{
    Texts& e = m_entries[p.pid];
    e.pass = m_pass;
    if (e.values && e.values->sameAs(p))
        return e;
    auto values = std::make_shared<const ProcessValues>(p, m_commandLines);
    if (!e.values || e.values->caption() != values->caption())
        e.caption = decoded(values->caption());
    if (!e.values || e.values->executablePath() != values->executablePath()) {
        e.path = decoded(values->executablePath());
        e.entryPath = entryPathOf(values->executablePath(), e.path);
    }
    e.values = std::move(values);
    return e;
}

void RowTexts::sweep()
{
    for (auto it = m_entries.begin(); it != m_entries.end();)
        it = it->second.pass == m_pass ? std::next(it) : m_entries.erase(it);
    ++m_pass;
}

} // namespace zerva
