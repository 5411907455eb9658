#include "main_window/zerva.h"

#include "platform/controls/trap.h"
#include "trusted/trusted_file.h"
#include "windows/guvenilir_programlar.h"

namespace zerva {

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
// next refresh. No outcome shows a message.
void Zerva::GPE_Click(const QString& path)
{
    QString answer;
    Trap([&] {
        if (m_platform.inputBox)
            answer = m_platform.inputBox(
                QStringLiteral("Guvenilir olacak programi girin.(Orn: c:\\windows\\explorer.exe)"), path);
    });
    Trap([&] { TrustedFile().add(answer, *m_form.TrList); });
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
        if (!m_guvenilirProgramlar)
            m_guvenilirProgramlar = new GuvenilirProgramlar(*m_form.TrList);
        m_guvenilirProgramlar->show();
        m_guvenilirProgramlar->raise();
        m_guvenilirProgramlar->activateWindow();
    });
}

} // namespace zerva
