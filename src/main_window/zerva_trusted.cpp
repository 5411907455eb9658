#include "main_window/zerva.h"

#include "platform/controls/left_to_right.h"
#include "platform/controls/trap.h"
#include "process/display_text.h"
#include "trusted/interpreter_check.h"
#include "trusted/lock_place_text.h"
#include "trusted/trusted_file.h"
#include "windows/guvenilir_programlar.h"

#include <QFileInfo>

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

// The question before an interpreter becomes trusted. The path is shown as
// the lists show it, so the user sees which program it is about.
QString InterpreterQuestion(const QString& answer)
{
    const auto shown = [](const QString& path) { return LeftToRight(DisplayText(path.toUtf8().toStdString())); };
    QString program = shown(answer);
    // A link is named with the file it leads to, which may be what made it
    // an interpreter.
    if (const QString real = QFileInfo(answer).canonicalFilePath(); !real.isEmpty() && real != answer)
        program += QStringLiteral("\n(baglanti: %1)").arg(shown(real));
    return QStringLiteral("%1\n\nBu program baska programlarin betiklerini calistirir (kabuk ya da betik "
                          "yorumlayicisi). Guvenilir olursa calistirdigi her betik de listeden gizlenir, kimin "
                          "yazdigina bakilmaz: /tmp'ye az once birakilmis bir betik bile.\n\nYine de eklensin mi?")
        .arg(program);
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
    if (answer.isEmpty() || !trustInterpreter(answer))
        return;
    m_pendingAdds.push_back(answer);
    // Behind an add that is already waiting, in the order they were typed.
    if (m_pendingAdds.size() > 1)
        return;
    m_addDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_platform.addWaitMs);
    tryPendingAdd();
}

// An interpreter is trusted only when the user says so, having been told
// what that hides; anything else needs no question. Without a question box
// the answer is no.
bool Zerva::trustInterpreter(const QString& answer)
{
    bool yes = true;
    Trap([&] {
        const InterpreterCheck interpreters(m_platform.listedShells ? m_platform.listedShells()
                                                                    : std::vector<std::string>());
        if (interpreters.runsScripts(answer))
            yes = m_platform.questionBox && m_platform.questionBox(InterpreterQuestion(answer));
    });
    return yes;
}

// Why the lock was not taken: each place tried and what is wrong with it.
QString Zerva::lockFailureText() const
{
    QString text;
    Trap([&] {
        if (m_platform.lockPlaces)
            text = LockPlaceText(m_platform.lockPlaces());
    });
    return text.isEmpty() ? text : QStringLiteral("\nKilit icin kullanilabilecek bir klasor yok:\n") + text;
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
        QString message = EditMessage("Program eklenemedi: ", result);
        if (result == Result::LockFailed)
            message += lockFailureText();
        if (!message.isEmpty() && m_platform.messageBox)
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
            m_guvenilirProgramlar = new GuvenilirProgramlar(
                *m_form.TrList,
                InterpreterCheck(m_platform.listedShells ? m_platform.listedShells() : std::vector<std::string>()));
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
