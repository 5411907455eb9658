#include "process/row_texts.h"

#include "process/display_text.h"

namespace zerva {

namespace {

// Sets the entry path of `e` from the raw path its `path` was shown from.
void setEntryPath(RowTexts::Texts& e, const std::optional<std::string_view>& raw)
{
    e.ownEntry.reset();
    e.entryIsPath = false;
    if (!raw || !QByteArrayView(raw->data(), qsizetype(raw->size())).isValidUtf8())
        return;
    QString entry = QString::fromUtf8(raw->data(), qsizetype(raw->size()));
    e.entryIsPath = entry == e.path;
    if (!e.entryIsPath)
        e.ownEntry = std::make_unique<const QString>(std::move(entry));
}

} // namespace

QString RowTexts::shared(const std::optional<std::string_view>& value)
{
    if (!value)
        return QString();
    QString text = DisplayText(*value);
    const auto it = m_shared.constFind(text);
    if (it != m_shared.constEnd())
        return *it;
    m_shared.insert(text);
    return text;
}

const RowTexts::Texts& RowTexts::of(const ProcessInfo& p)
{
    Texts& e = m_entries[p.pid];
    e.pass = m_pass;
    if (e.values && e.values->sameAs(p))
        return e;
    auto values = std::make_shared<const ProcessValues>(p, m_commandLines);
    if (!e.values || e.values->caption() != values->caption())
        e.caption = shared(values->caption());
    if (!e.values || e.values->executablePath() != values->executablePath()) {
        e.path = shared(values->executablePath());
        setEntryPath(e, values->executablePath());
    }
    e.values = std::move(values);
    return e;
}

void RowTexts::sweep()
{
    for (auto it = m_entries.begin(); it != m_entries.end();)
        it = it->second.pass == m_pass ? std::next(it) : m_entries.erase(it);
    // A text held here alone is no row's any more.
    for (auto it = m_shared.begin(); it != m_shared.end();)
        it = it->isDetached() ? m_shared.erase(it) : std::next(it);
    ++m_pass;
}

} // namespace zerva
