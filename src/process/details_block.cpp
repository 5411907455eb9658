#include "process/details_block.h"

#include <cmath>

namespace zerva {

namespace {

QString text(const std::optional<std::string>& value)
{
    return value ? QString::fromStdString(*value) : QString();
}

QString text(const std::optional<std::int64_t>& value)
{
    return value ? QString::number(*value) : QString();
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

} // namespace

QString KilobytesText(const std::optional<std::int64_t>& bytes)
{
    if (!bytes)
        return {};
    const double q = static_cast<double>(*bytes) / 1000.0;
    return QString::number(static_cast<qint64>(roundHalfEven(q)));
}

QString DetailsBlock(const ProcessInfo& p)
{
    const QString crlf = QStringLiteral("\r\n");
    QString block;
    block.reserve(256);
    block += QLatin1String("Oncelik derecesi(dusuk < yuksek): ") + text(p.priority) + crlf;
    block += QLatin1String("Komut satiri: ") + text(p.commandLine) + crlf;
    block += QLatin1String("Hafiza kullanimi: ") + KilobytesText(p.pageFileUsage) + QLatin1String(" KB") + crlf;
    block += QLatin1String("Thread sayisi: ") + text(p.threadCount) + crlf;
    block += QLatin1String("Isim: ") + text(p.name) + crlf;
    block += QLatin1String("Baslik: ") + text(p.caption) + crlf;
    block += QLatin1String("Aciklama: ") + text(p.description) + crlf;
    return block;
}

} // namespace zerva
