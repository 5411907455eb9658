#include "main_window/zerva.h"

#include "platform/controls/trap.h"
#include "trusted/trusted_file.h"

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
void Zerva::GPE_Click()
{
    QString answer;
    Trap([&] {
        if (m_platform.inputBox)
            answer = m_platform.inputBox(
                QStringLiteral("Guvenilir olacak programi girin.(Orn: c:\\windows\\explorer.exe)"));
    });
    Trap([&] { TrustedFile().add(answer, *m_form.TrList); });
}

} // namespace zerva
