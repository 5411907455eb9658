#include "main_window/zerva.h"
#include "main_window/zerva_links.h"
#include "platform/controls/twips.h"

#include <QFrame>
#include <QWidget>

namespace zerva {

// Points the banner at its page. Web1 is larger than Frame1 and starts above
// and left of it, so the frame shows only a cut-out of the page.
void Zerva::startBanner()
{
    if (!m_Web1) {
        if (!m_platform.banner)
            return;
        m_Web1 = m_platform.banner(m_form.Frame1, m_platform.shell.get());
        if (!m_Web1)
            return;
        QWidget* web1 = m_Web1->widget();
        web1->setObjectName(QStringLiteral("Web1"));
        web1->setGeometry(Twips::of(*m_form.Frame1).rect(-520, -240, 2655, 975));
        web1->show();
    }
    m_Web1->Navigate(QString::fromLatin1(links::BannerPage));
}

} // namespace zerva
