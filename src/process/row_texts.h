#pragma once

#include "platform/os/process_source.h"
#include "process/process_values.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <unordered_map>

namespace zerva {

// The texts of the process rows, kept from one refresh to the next: a text
// whose values did not change (compared byte for byte) is the one decoded
// before, not decoded and allocated again, and the rows of both lists share
// it. Nothing is frozen: any changed value gives a new text at once.
class RowTexts {
public:
    // The texts with the values they were made from.
    struct Texts {
        // As DisplayText(caption) and DisplayText(executablePath) make
        // them; empty for a null value.
        QString caption;
        QString path;
        // The path as a trusted entry names it: the program's own text,
        // sharing path's where the two are alike (nearly always); empty when
        // it is not UTF-8.
        QString entryPath;
        // The process's values, which make its details block when it is
        // read; the same object while they stay the same.
        std::shared_ptr<const ProcessValues> values;
        unsigned pass = 0;
    };

    // The texts of `process`, made anew where its values changed; one
    // lookup for all of them.
    const Texts& of(const ProcessInfo& process);
    const QString& caption(const ProcessInfo& process) { return of(process).caption; }
    const QString& path(const ProcessInfo& process) { return of(process).path; }
    const QString& entryPath(const ProcessInfo& process) { return of(process).entryPath; }
    const std::shared_ptr<const ProcessValues>& details(const ProcessInfo& process) { return of(process).values; }

    // Command lines are not in the snapshots (see
    // ProcessSource::readCommandLinesOnRequest): the details read them from
    // `source` when they are made.
    void readCommandLinesFrom(std::shared_ptr<const ProcessSource> source) { m_commandLines = std::move(source); }

    // Ends a refresh: forgets the processes whose texts it did not ask for.
    void sweep();

    std::size_t size() const { return m_entries.size(); }

private:
    std::unordered_map<std::int64_t, Texts> m_entries;
    std::shared_ptr<const ProcessSource> m_commandLines;
    unsigned m_pass = 1;
};

} // namespace zerva
