#include "trusted/trust_verdict.h"

namespace zerva {

bool IsLasting(TrustVerdict verdict)
{
    return verdict == TrustVerdict::Traced || verdict == TrustVerdict::CodeChanged
        || verdict == TrustVerdict::LinkChanged || verdict == TrustVerdict::NotExecuted;
}

QString WarningText(TrustVerdict verdict)
{
    switch (verdict) {
    case TrustVerdict::Trusted:
        return {};
    case TrustVerdict::OtherFile:
        return QStringLiteral("Guvenilir yolda baska bir dosya calisiyor");
    case TrustVerdict::Unreadable:
        return QStringLiteral("Guvenilir program, ama sureci denetlenemedi");
    case TrustVerdict::LinkChanged:
        return QStringLiteral("Program baglantisi surec calisirken degisti");
    case TrustVerdict::ProgramNotMapped:
        return QStringLiteral("Program baglantisi sahte: dosya bellekte calistirilabilir degil");
    case TrustVerdict::Traced:
        return QStringLiteral("Guvenilir program, ama baska bir surec onu izliyor (ptrace)");
    case TrustVerdict::Preload:
        return QStringLiteral("Guvenilir program, ama LD_PRELOAD ya da LD_AUDIT ile kitaplik yuklenmis");
    case TrustVerdict::SystemPreload:
        return QStringLiteral("/etc/ld.so.preload her programa kitaplik yukluyor");
    case TrustVerdict::CodeChanged:
        return QStringLiteral("Guvenilir program, ama bellekteki kodu degistirilmis");
    case TrustVerdict::ForeignCode:
        return QStringLiteral("Guvenilir program, ama silinmis, bellekte ya da baskalarinin yazabildigi bir dosyadan kod "
                              "calistiriyor");
    case TrustVerdict::AnonymousCode:
        return QStringLiteral("Guvenilir program, ama dosyasiz calistirilabilir bellegi var (JIT ya da yerlestirilmis kod)");
    case TrustVerdict::ProgramHidden:
        return QStringLiteral("Surec calisiyor, ama programi okunamiyor (gizlenmis)");
    case TrustVerdict::NotExecuted:
        return QStringLiteral("Program baglantisi calistirilan dosya degil");
    case TrustVerdict::LoaderNotMapped:
        return QStringLiteral("Program baglantisi sahte: programin yukleyicisi bellekte yok");
    }
    return {};
}

} // namespace zerva
