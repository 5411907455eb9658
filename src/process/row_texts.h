#pragma once

#include "platform/os/process_source.h"
#include "process/process_values.h"

#include <QSet>
#include <QString>

#include <cstdint>
#include <memory>
#include <unordered_map>

namespace zerva {

// The texts of the process rows, kept from one refresh to the next: a text
// whose values did not change (compared byte for byte) is the one decoded
// before, not decoded and allocated again, and the rows of both lists share
// it. Nothing is frozen: any changed value gives a new text at once. Equal
// texts of different processes (a thousand compilers run one program) are
// one text.
class RowTexts {
public:
    // The texts with the values they were made from.
    struct Texts {
        // As DisplayText(caption) and DisplayText(executablePath) make
        // them; empty for a null value.
        QString caption;
        QString path;
        // The process's values, which make its details block when it is
        // read; the same object while they stay the same.
        std::shared_ptr<const ProcessValues> values;
        // The path as a trusted entry names it: the program's own text,
        // which is path's (nearly always) unless it shows escapes; empty
        // when it is not UTF-8.
        QString entryPath() const { return ownEntry ? *ownEntry : entryIsPath ? path : QString(); }
        std::unique_ptr<const QString> ownEntry;
        bool entryIsPath = false;
        unsigned pass = 0;
    };

    // The texts of `process`, made anew where its values changed; one
    // lookup for all of them.
    const Texts& of(const ProcessInfo& process);
    const QString& caption(const ProcessInfo& process) { return of(process).caption; }
    const QString& path(const ProcessInfo& process) { return of(process).path; }
    QString entryPath(const ProcessInfo& process) { return of(process).entryPath(); }
    const std::shared_ptr<const ProcessValues>& details(const ProcessInfo& process) { return of(process).values; }

    // Command lines are not in the snapshots (see
    // ProcessSource::readCommandLinesOnRequest): the details read them from
    // `source` when they are made.
    void readCommandLinesFrom(std::shared_ptr<const ProcessSource> source) { m_commandLines = std::move(source); }

    // Ends a refresh: forgets the processes whose texts it did not ask for,
    // and the texts no row holds any more.
    void sweep();

    std::size_t size() const { return m_entries.size(); }

private:
    // DisplayText of `value`, the one text of all equal ones.
    QString shared(const std::optional<std::string_view>& value);

    std::unordered_map<std::int64_t, Texts> m_entries;
    QSet<QString> m_shared;
    std::shared_ptr<const ProcessSource> m_commandLines;
    unsigned m_pass = 1;
};

} // namespace zerva
