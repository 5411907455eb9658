#pragma once

#include "platform/controls/deferred_text.h"
#include "platform/os/process_source.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zerva {

// The values a process row is made from, kept compactly between refreshes:
// its texts in one buffer (a text equal to an earlier one, or the end of the
// path, is not stored twice) and its numbers. Its details block is made
// from them only when it is read, so ten thousand rows hold these values
// and not ten thousand blocks.
class ProcessValues final : public DeferredText {
public:
    // `commandLines`, when given, reads the command line (by the process's
    // id and start time) each time the details are made; the snapshot has
    // none.
    explicit ProcessValues(const ProcessInfo& process, std::shared_ptr<const ProcessSource> commandLines = nullptr);

    // Whether `process` has exactly these values (byte for byte).
    bool sameAs(const ProcessInfo& process) const;

    std::optional<std::string_view> caption() const { return field(Caption); }
    std::optional<std::string_view> executablePath() const { return field(Path); }

    // DetailsBlock of these values.
    QString text() const override;

private:
    enum Field : std::uint8_t { Path, CommandLine, Name, Caption, Description, Fields };
    struct Span {
        std::uint32_t at = 0;
        std::uint32_t size = 0;
    };
    std::optional<std::string_view> field(Field f) const;
    bool sameText(Field f, const std::optional<std::string>& value) const;

    // Ten thousand of these are kept: flags rather than optionals.
    std::shared_ptr<const ProcessSource> m_commandLines;
    std::int64_t m_pid = 0;
    std::uint64_t m_startTime = 0;   // m_hasStartTime
    std::string m_texts;
    std::array<Span, Fields> m_spans{};
    std::int64_t m_priority = 0;
    std::int64_t m_pageFileUsage = 0;
    // No process has 2^31 threads; a count beyond is not kept.
    std::int32_t m_threadCount = 0;
    // A bit per value that is there (texts by Field, then the numbers).
    std::uint8_t m_present = 0;
    bool m_hasStartTime = false;
};

} // namespace zerva
