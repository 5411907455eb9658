#include "main_window/zerva.h"

#include "platform/controls/trap.h"
#include "trusted/trusted_file.h"
#include "windows/guvenilir_programlar.h"

namespace zerva {

namespace {

using Result = TrustedFile::AddResult;

// Why an add or a removal did not happen, in a line after `what`; empty
// when it did (or when nothing was asked: Cancel, no entry chosen).
QString EditMessage(const char* what, Result result)
{
    const auto text = [what](const char* reason) { return QLatin1String(what) + QLatin1String(reason); };
    switch (result) {
    case Result::Added:
    case Result::Empty:
        return QString();
    case Result::Gone:
        return text("program kvr.conf dosyasinda artik yok.");
    case Result::Refused:
        return text("bu yanit kvr.conf dosyasina yazilamaz.");
    case Result::TooLong:
        return text("yanit 32767 karakterden uzun.");
    case Result::NotText:
        return text("kvr.conf bir metin dosyasi degil.");
    case Result::Unreadable:
        return text("kvr.conf okunamadi.");
    case Result::TooLarge:
        return text("kvr.conf boyut sinirini asar.");
    case Result::Full:
        return text("kvr.conf en fazla 1000000 program tutar.");
    case Result::Foreign:
        return text("kvr.conf sizin dosyaniz degil.");
    case Result::ReadOnly:
        return text("kvr.conf salt okunur.");
    case Result::NoPermission:
        return text("kvr.conf dosyasina yazma izniniz yok.");
    case Result::Busy:
        return text("kvr.conf baska bir ekleme icin kilitli.");
    case Result::LockFailed:
        return text("kilit alinamadi.");
    case Result::WriteFailed:
        return text("kvr.conf yazilamadi (disk dolu olabilir).");
    case Result::Changing:
        return text("kvr.conf baska bir program tarafindan degistiriliyor.");
    case Result::WouldLoseLines:
        return text("kvr.conf dosyasindaki diger satirlar korunamazdi; hicbir sey yazilmadi.");
    }
    return QString();
}

} // namespace

// Loads the trusted programs into TrList: kvr.conf in the working directory,
// created empty when it is missing and otherwise never changed here.
void Zerva::loadTrusted()
{
    const TrustedFile file;
    Trap([&] { file.createIfMissing(); });
    Trap([&] { file.reload(*m_form.TrList); });
}

// "Guvenilir Program Ekle": adds a trusted program as the first entry of
// kvr.conf. The process list is not refreshed; the entry counts from the
// next refresh. An add that did not happen says why.
void Zerva::GPE_Click(const QString& path)
{
    QString answer;
    Trap([&] {
        if (m_platform.inputBox)
            answer = m_platform.inputBox(
                QStringLiteral("Guvenilir olacak programi girin.(Orn: c:\\windows\\explorer.exe)"), path);
    });
    if (answer.isEmpty())
        return;
    m_pendingAdds.push_back(answer);
    // Behind an add that is already waiting, in the order they were typed.
    if (m_pendingAdds.size() > 1)
        return;
    m_addDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_platform.addWaitMs);
    tryPendingAdd();
}

// One try at the oldest waiting add; the lock is never waited for here, so
// the window stays live between tries.
void Zerva::tryPendingAdd()
{
    while (!m_pendingAdds.isEmpty()) {
        Result result = Result::WriteFailed;
        Trap([&] { result = TrustedFile().add(m_pendingAdds.front(), *m_form.TrList, std::chrono::milliseconds(0)); });
        // The lock of another add, or an editor's save: both over soon.
        if ((result == Result::Busy || result == Result::Changing)
            && std::chrono::steady_clock::now() < m_addDeadline) {
            m_addRetry.start(m_platform.addRetryMs);
            return;
        }
        m_pendingAdds.pop_front();
        m_addDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_platform.addWaitMs);
        if (const QString message = EditMessage("Program eklenemedi: ", result); !message.isEmpty() && m_platform.messageBox)
            Trap([&] { m_platform.messageBox(message); });
    }
}

GuvenilirProgramlar* Zerva::guvenilirProgramlar() const
{
    return m_guvenilirProgramlar.data();
}

// One window of the trusted list while it is loaded; it comes to the front.
// A removal there reloads TrList and counts from the next refresh.
void Zerva::mnGuvenilirProgramlar_Click()
{
    Trap([&] {
        if (!m_guvenilirProgramlar) {
            m_guvenilirProgramlar = new GuvenilirProgramlar(*m_form.TrList);
            connect(m_guvenilirProgramlar, &GuvenilirProgramlar::Removed, this, [this](Result result) {
                if (const QString message = EditMessage("Program silinemedi: ", result);
                    !message.isEmpty() && m_platform.messageBox)
                    Trap([&] { m_platform.messageBox(message); });
            });
        }
        m_guvenilirProgramlar->show();
        m_guvenilirProgramlar->raise();
        m_guvenilirProgramlar->activateWindow();
    });
}

} // namespace zerva
