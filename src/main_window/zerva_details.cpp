#include "main_window/zerva.h"

#include "platform/controls/list_view.h"
#include "platform/controls/text_box.h"
#include "process/details_block.h"
#include "windows/dialog.h"

namespace zerva {

// Fills the details window from the list's selected row and shows it,
// modeless. Without a selected row there is nothing to show.
void Zerva::showDetails(const ListView& list)
{
    if (!list.selectedItem())
        return;
    // The selection is read afresh at every step, as it would be by a
    // reader of the list; nothing in between can change it.
    const auto selected = [&list] { return list.selectedItem().value(); };
    const QString crLf = QStringLiteral("\r\n");

    if (!m_Dialog)
        m_Dialog = new Dialog(this);
    m_Dialog->setCaption(list.text(selected()));
    TextBox& text1 = m_Dialog->Text1();
    text1.setText(QStringLiteral("Dosya:") + crLf + list.text(selected()));
    text1.setText(text1.text() + crLf + QStringLiteral("Path: ") + crLf + list.subItem(selected(), 1));
    // The list keeps the head of a long command line; the whole one is read
    // now, as long as the same process runs.
    QString details = list.subItem(selected(), 2);
    if (const qint64 started = list.started(selected()); started >= 0 && m_platform.processes)
        details = WithCommandLine(details, m_platform.processes->commandLine(list.key(selected()), quint64(started)));
    text1.setText(text1.text() + crLf + QStringLiteral("Ayrintilar: ") + crLf + details);
    // Why a row is listed that might not be: under the details, so that
    // their lines keep their places.
    if (const QString warning = list.warning(selected()); !warning.isEmpty())
        text1.setText(text1.text() + crLf + QStringLiteral("Uyari: ") + crLf + warning);
    m_Dialog->show();
}

} // namespace zerva
