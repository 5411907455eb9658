#include "main_window/zerva.h"

#include "platform/controls/trap.h"
#include "trusted/trusted_file.h"

namespace zerva {

namespace {

using Result = TrustedFile::AddResult;

// Why an add did not happen, in a line; empty when it did (or when the
// answer was empty: Cancel).
QString AddMessage(Result result)
{
    const auto text = [](const char* reason) { return QStringLiteral("Program eklenemedi: ") + QLatin1String(reason); };
    switch (result) {
    case Result::Added:
    case Result::Empty:
        return QString();
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
void Zerva::GPE_Click()
{
    QString answer;
    Trap([&] {
        if (m_platform.inputBox)
            answer = m_platform.inputBox(
                QStringLiteral("Guvenilir olacak programi girin.(Orn: c:\\windows\\explorer.exe)"));
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
        if (result == Result::Busy && std::chrono::steady_clock::now() < m_addDeadline) {
            m_addRetry.start(m_platform.addRetryMs);
            return;
        }
        m_pendingAdds.pop_front();
        m_addDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_platform.addWaitMs);
        if (const QString message = AddMessage(result); !message.isEmpty() && m_platform.messageBox)
            Trap([&] { m_platform.messageBox(message); });
    }
}

} // namespace zerva
