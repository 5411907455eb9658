#include "trusted/lock_place_text.h"

#include "process/display_text.h"

#include <cerrno>

namespace zerva {

namespace {

QString errorText(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("izin yok");
    case EROFS:
        return QStringLiteral("salt okunur disk");
    case ENOSPC:
        return QStringLiteral("disk dolu");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("ust klasor yok");
    default:
        return QStringLiteral("hata %1").arg(error);
    }
}

QString octal(unsigned mode)
{
    return QStringLiteral("%1").arg(mode & 07777, 4, 8, QLatin1Char('0'));
}

QString faultText(const LockPlace& place)
{
    const QString own = QStringLiteral(" Sizin olan, yalniz sizin girebildiginiz (0700) bir klasor olmali.");
    switch (place.fault) {
    case LockPlace::Fault::None:
        return {};
    case LockPlace::Fault::Missing:
        return QStringLiteral("klasor yok.");
    case LockPlace::Fault::CannotMake:
        return QStringLiteral("klasor yok ve olusturulamadi (%1).").arg(errorText(place.error));
    case LockPlace::Fault::Link:
        return QStringLiteral("klasor degil, sembolik baglanti.") + own;
    case LockPlace::Fault::NotFolder:
        return QStringLiteral("klasor degil.") + own;
    case LockPlace::Fault::OtherOwner: {
        const QString name = place.ownerName.empty() ? QString() : DisplayText(place.ownerName) + u' ';
        return QStringLiteral("sahibi baska bir hesap: %1(kullanici %2).").arg(name).arg(place.owner) + own;
    }
    case LockPlace::Fault::OpenToOthers:
        return QStringLiteral("izinleri %1, baskalari da girebilir. 0700 olmali (chmod 700).").arg(octal(place.mode));
    case LockPlace::Fault::NotWritable:
        if (place.error == EROFS)
            return QStringLiteral("salt okunur bir diskte, icine yazilamiyor.");
        return QStringLiteral("izinleri %1, icine yazilamiyor. 0700 olmali (chmod 700).").arg(octal(place.mode));
    }
    return {};
}

} // namespace

QString LockPlaceText(const std::vector<LockPlace>& places)
{
    QString text;
    for (const LockPlace& place : places) {
        const QString fault = faultText(place);
        if (fault.isEmpty())
            continue;
        if (!text.isEmpty())
            text += u'\n';
        text += DisplayText(place.folder) + QStringLiteral(": ") + fault;
    }
    return text;
}

} // namespace zerva
