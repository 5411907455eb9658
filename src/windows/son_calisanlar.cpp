#include "windows/son_calisanlar.h"

#include "platform/controls/twips.h"
#include "trusted/exec_record.h"
#include "windows/son_calisanlar_model.h"
#include "windows/zerva_icon.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>

#include <algorithm>

namespace zerva {

SonCalisanlar::SonCalisanlar(QWidget* parent) : QDialog(parent)
{
    setupUi();
    connect(m_cmdKapat, &QPushButton::clicked, this, &QWidget::close);
}

void SonCalisanlar::setupUi()
{
    const Twips twips = Twips::of(*this);
    setObjectName(QStringLiteral("SonCalisanlar"));
    setWindowTitle(QStringLiteral("Son Calisanlar"));
    setWindowIcon(ZervaIcon());
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setAttribute(Qt::WA_QuitOnClose, true);
    setSizeGripEnabled(false);

    QPoint origin;
    if (const QScreen* s = screen())
        origin = s->geometry().topLeft();
    const QRect client = twips.rect(1440, 1440, 13800, 5520);
    setFixedSize(client.size());
    setGeometry(client.translated(origin));

    m_lblDurum = new QLabel(this);
    m_lblDurum->setObjectName(QStringLiteral("lblDurum"));
    m_lblDurum->setWordWrap(true);
    m_lblDurum->setGeometry(twips.rect(120, 60, 13560, 480));

    m_lblKayip = new QLabel(this);
    m_lblKayip->setObjectName(QStringLiteral("lblKayip"));
    m_lblKayip->setGeometry(twips.rect(120, 540, 13560, 255));
    m_lblKayip->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold"));
    m_lblKayip->hide();

    m_model = new SonCalisanlarModel(this);
    m_lstSon = new QTreeView(this);
    m_lstSon->setObjectName(QStringLiteral("lstSon"));
    m_lstSon->setModel(m_model);
    m_lstSon->setRootIsDecorated(false);
    m_lstSon->setUniformRowHeights(true);
    m_lstSon->setItemsExpandable(false);
    m_lstSon->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lstSon->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lstSon->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lstSon->setAllColumnsShowFocus(true);
    m_lstSon->setGeometry(twips.rect(120, 840, 13560, 4080));
    m_lstSon->setAccessibleName(QStringLiteral("Son calisanlar"));
    m_lstSon->setAccessibleDescription(
        QStringLiteral("Hicbir yenilemenin listelemedigi guvenilmeyen kisa sureli programlar, en yenisi ustte"));
    QHeaderView* header = m_lstSon->header();
    header->setStretchLastSection(true);
    // The short columns as wide as their longest text, the texts sharing
    // the rest.
    const QFontMetrics metrics = m_lstSon->fontMetrics();
    const int pad = metrics.horizontalAdvance(QStringLiteral("MM"));
    const auto fit = [&](int column, const QString& widest) {
        const int title = metrics.horizontalAdvance(m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
        const int width = std::max(metrics.horizontalAdvance(widest), title) + pad;
        m_lstSon->header()->resizeSection(column, width);
        return width;
    };
    int used = fit(SonCalisanlarModel::Zaman, QStringLiteral("00:00:00.000"));
    used += fit(SonCalisanlarModel::Pid, QStringLiteral("4194304"));
    used += fit(SonCalisanlarModel::UstPid, QStringLiteral("4194304"));
    used += fit(SonCalisanlarModel::Hesap, QStringLiteral("kullanici (1000)"));
    used += fit(SonCalisanlarModel::Ad, QStringLiteral("abcdefghijklmno"));
    used += metrics.horizontalAdvance(QStringLiteral("programi okunamadi")) + pad;
    const int rest = std::max(m_lstSon->width() - used - 2 * pad, 4 * pad) / 2;
    header->resizeSection(SonCalisanlarModel::Program, rest);
    header->resizeSection(SonCalisanlarModel::KomutSatiri, rest);

    m_cmdKapat = new QPushButton(QStringLiteral("Kapat"), this);
    m_cmdKapat->setObjectName(QStringLiteral("cmdKapat"));
    m_cmdKapat->setGeometry(twips.rect(12465, 5040, 1215, 375));
    m_cmdKapat->setAutoDefault(false);
    m_cmdKapat->setDefault(false);
    setTabOrder(m_lstSon, m_cmdKapat);
    m_lstSon->setFocus();
}

QString SonCalisanlar::StateText(const ExecRecord* record, ExecWatch::State state)
{
    switch (state) {
    case ExecWatch::State::Unsupported:
        return QStringLiteral("Bu sistemde kisa sureli programlar kaydedilemiyor.");
    case ExecWatch::State::NeedsRoot:
        return QStringLiteral("Yenilemeler arasinda baslayip biten programlari kaydetmek icin root yetkisi gerekir."
                              " Zerva'yi root olarak baslatin.");
    case ExecWatch::State::Refused:
        return QStringLiteral("Cekirdek program baslatmalarini bildirmiyor (baska bir ad alani ya da kapsayici):"
                              " kisa sureli programlar kaydedilemiyor.");
    case ExecWatch::State::Starting:
        return QStringLiteral("Cekirdegin yaniti bekleniyor.");
    case ExecWatch::State::Working:
        break;
    }
    if (!record)
        return QString();
    return QStringLiteral("Hicbir yenilemenin listelemedigi guvenilmeyen programlar, en yenisi ustte: %1."
                          " Guvenilir olanlar yalnizca sayilir: %2. Son %3 calistirma bu bilgisayarda,"
                          " Zerva kapanana kadar tutulur.")
        .arg(record->shownTotal())
        .arg(record->trustedTotal())
        .arg(record->capacity());
}

void SonCalisanlar::follow(const ExecRecord* record, ExecWatch::State state)
{
    m_lblDurum->setText(StateText(record, state));
    m_lblDurum->setAccessibleDescription(m_lblDurum->text());
    const bool lost = record && record->lastLoss();
    if (lost) {
        const qint64 ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(record->lastLoss()->time_since_epoch()).count();
        m_lblKayip->setText(QStringLiteral("Dikkat: bazi olaylar kacirildi (en son %1); o arada calisanlar eksik olabilir.")
                                .arg(QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm:ss"))));
    }
    m_lblKayip->setVisible(lost);
    if (record)
        m_model->follow(*record);
}

void SonCalisanlar::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace zerva
