#include "main_window/zerva.h"

#include "platform/controls/list_view.h"
#include "platform/controls/text_box.h"
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
    text1.setText(text1.text() + crLf + QStringLiteral("Ayrintilar: ") + crLf + list.subItem(selected(), 2));
    // Why a row is listed that might not be: under the details, so that
    // their lines keep their places.
    if (const QString warning = list.warning(selected()); !warning.isEmpty())
        text1.setText(text1.text() + crLf + QStringLiteral("Uyari: ") + crLf + warning);
    m_Dialog->show();
}

} // namespace zerva
