#include "process/details_block.h"

#include "process/display_text.h"

#include <charconv>
#include <cmath>

namespace zerva {

namespace {

// The block is built in place, one append per piece: it is made for every
// listed process at every refresh.
void append(QString& block, const std::optional<std::string_view>& value)
{
    if (value)
        AppendDisplayText(block, *value);
}

void appendNumber(QString& block, std::int64_t value)
{
    char digits[24];
    const auto r = std::to_chars(digits, digits + sizeof digits, value);
    block.append(QLatin1String(digits, static_cast<qsizetype>(r.ptr - digits)));
}

void append(QString& block, const std::optional<std::int64_t>& value)
{
    if (value)
        appendNumber(block, *value);
}

double roundHalfEven(double q)
{
    const double down = std::floor(q);
    const double diff = q - down;
    if (diff < 0.5)
        return down;
    if (diff > 0.5)
        return down + 1.0;
    return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}

std::optional<std::int64_t> kilobytes(const std::optional<std::int64_t>& bytes)
{
    if (!bytes)
        return std::nullopt;
    return static_cast<std::int64_t>(roundHalfEven(static_cast<double>(*bytes) / 1000.0));
}

qsizetype length(const std::optional<std::string_view>& value)
{
    return value ? static_cast<qsizetype>(value->size()) : 0;
}

std::optional<std::string_view> view(const std::optional<std::string>& value)
{
    return value ? std::optional<std::string_view>(*value) : std::nullopt;
}

} // namespace

QString KilobytesText(const std::optional<std::int64_t>& bytes)
{
    QString text;
    append(text, kilobytes(bytes));
    return text;
}

QString DetailsBlock(const ProcessInfo& p)
{
    return DetailsBlock(DetailsValues{p.priority, view(p.commandLine), p.pageFileUsage, p.threadCount, view(p.name),
                                      view(p.caption), view(p.description)});
}

QString DetailsBlock(const DetailsValues& p)
{
    const QLatin1String crlf("\r\n");
    QString block;
    // Labels, numbers and line ends take under 200 characters.
    block.reserve(200 + length(p.commandLine) + length(p.name) + length(p.caption) + length(p.description));
    block.append(QLatin1String("Oncelik derecesi(dusuk < yuksek): "));
    append(block, p.priority);
    block.append(crlf).append(QLatin1String("Komut satiri: "));
    append(block, p.commandLine);
    block.append(crlf).append(QLatin1String("Hafiza kullanimi: "));
    append(block, kilobytes(p.pageFileUsage));
    block.append(QLatin1String(" KB")).append(crlf).append(QLatin1String("Thread sayisi: "));
    append(block, p.threadCount);
    block.append(crlf).append(QLatin1String("Isim: "));
    append(block, p.name);
    block.append(crlf).append(QLatin1String("Baslik: "));
    append(block, p.caption);
    block.append(crlf).append(QLatin1String("Aciklama: "));
    append(block, p.description);
    block.append(crlf);
    return block;
}

QString WithCommandLine(const QString& block, const std::optional<std::string>& whole)
{
    const QLatin1String label("\r\nKomut satiri: ");
    const qsizetype from = block.indexOf(label);
    // Shown text holds no CR of its own: the line ends at the next one.
    const qsizetype end = from < 0 ? -1 : block.indexOf(u'\r', from + label.size());
    if (!whole || end < 0)
        return block;
    QString out = block.left(from + label.size());
    AppendDisplayText(out, *whole);
    out.append(QStringView(block).sliced(end));
    return out;
}

} // namespace zerva
