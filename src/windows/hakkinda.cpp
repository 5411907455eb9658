#include "windows/hakkinda.h"

#include "main_window/zerva_links.h"
#include "platform/controls/frame_pacer.h"
#include "platform/controls/trap.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace zerva {

Hakkinda::Hakkinda(int frameMs, QString text) : QWidget(nullptr), m_frameMs(frameMs), m_text(std::move(text))
{
    setObjectName(QStringLiteral("Hakkinda"));
}

Hakkinda::~Hakkinda() = default;

QStringList Hakkinda::AboutPieces()
{
    const QString crlf = QStringLiteral("\r\n");
    return {
        QStringLiteral("Zerva 1.0(Surec Gozcusu)"),
        crlf,
        crlf,
        QStringLiteral("Programci: Deniz Aydin <deniz@mavikod.example>"),
        crlf,
        QString(),
        crlf,
        QStringLiteral(" Indirebileceginiz Adres : ") + QLatin1String(links::HomePage),
        crlf,
        crlf,
        QStringLiteral("Zerva'yi kullandiginiz icin tesekkurler."),
    };
}

QString Hakkinda::AboutText()
{
    return AboutPieces().join(QString());
}

void Hakkinda::Show()
{
    if (m_loaded) {
        show();
        raise();
        activateWindow();
        return;
    }
    m_loaded = true;
    m_form.setupUi(this);
    connect(m_form.Command1, &QPushButton::clicked, this, &Hakkinda::Command1_Click);
    Form_Load();
}

// The typewriter. The state lives in the two controls: Label1 holds what has
// arrived, Text1 what is still to come.
void Hakkinda::Form_Load()
{
    // From here on a failing step is passed over.
    Trap([&] { show(); });
    const QPointer<QLabel> label = m_form.Label1;
    const QPointer<QLineEdit> text = m_form.Text1;
    Trap([&] {
        text->setText(m_text);
        text->setCursorPosition(0);   // the selection starts before the first character
    });
    m_typing = true;
    FramePacer pacer(m_frameMs);
    do {
        Trap([&] {
            label->setText(label->text() + text->text().left(2));
            text->setSelection(0, 2);   // stops at the end of the text
            text->insert(QString());    // deletes the selection
        });
        // Paced to one frame a pass: typed in visibly, without spinning a
        // core, while the main window goes on working.
        pacer.yield();
    } while (label && text && !text->text().isEmpty());
    m_typing = false;
    Trap([&] { m_form.Command1->setEnabled(true); });
}

void Hakkinda::Command1_Click()
{
    m_form.Text1->clear();
    close();
}

// Unloading: the controls go, the object stays for the next Show. The
// window has no frame to close it by, and while its text types in the
// desktop may not close it either.
void Hakkinda::closeEvent(QCloseEvent* event)
{
    if (m_typing) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
    for (QWidget* control : {static_cast<QWidget*>(m_form.Label1), static_cast<QWidget*>(m_form.Text1),
                             static_cast<QWidget*>(m_form.Command1)}) {
        if (control) {
            control->hide();
            control->deleteLater();   // Command1 may be in the middle of its click
        }
    }
    m_form = HakkindaForm{};
    m_loaded = false;
}

} // namespace zerva
