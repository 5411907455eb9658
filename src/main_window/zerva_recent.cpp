#include "main_window/zerva.h"

#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "platform/controls/trap.h"
#include "trusted/is_trusted.h"
#include "windows/son_calisanlar.h"

#include <QLabel>
#include <QMenu>

namespace zerva {

namespace {

// At most this many execs are taken in at one refresh, so that a storm
// cannot hold the window up; the rest wait for the next one.
constexpr std::size_t ExecsPerRefresh = ExecRecord::DefaultCapacity;

} // namespace

ExecWatch::State Zerva::execState() const
{
    return m_platform.execWatch ? m_platform.execWatch->state() : ExecWatch::State::Unsupported;
}

std::chrono::steady_clock::time_point Zerva::takeExecs()
{
    m_scanSeen.clear();
    if (m_execRecord) {
        Trap([&] {
            if (!m_platform.execWatch->take(m_execBatch, ExecsPerRefresh))
                m_execRecord->lose(std::chrono::system_clock::now());
            for (ExecSeen& seen : m_execBatch)
                m_execRecord->add(std::move(seen));
            m_execBatch.clear();
        });
    }
    return std::chrono::steady_clock::now();
}

// The trust test of a program that has ended: its path must be a trusted
// entry (IsTrusted) and the file it ran the file that entry names now.
void Zerva::judgeExecs(std::chrono::steady_clock::time_point scanStart)
{
    if (!m_execRecord)
        return;
    Trap([&] {
        ProcessSource& source = *m_platform.processes;
        const int check1 = m_form.Check1->value();
        const auto judge = [&](const ExecSeen& e) {
            if (!e.path)
                return ExecRecord::Judgement::NoPath;
            QString path = QString::fromUtf8(e.path->data(), static_cast<qsizetype>(e.path->size()));
            // A path that is not UTF-8 cannot be an entry.
            if (path.toUtf8() != QByteArray::fromStdString(*e.path))
                return ExecRecord::Judgement::NotTrusted;
            bool otherFile = false;
            const auto runsFile = [&](const QString& entry) {
                if (!source.identifiesFiles())
                    return true;
                const bool same = e.file && source.fileAt(entry.toStdString()) == e.file;
                otherFile = otherFile || !same;
                return same;
            };
            if (IsTrusted(path, check1, *m_form.TrList, runsFile))
                return ExecRecord::Judgement::Trusted;
            return otherFile ? ExecRecord::Judgement::OtherFile : ExecRecord::Judgement::NotTrusted;
        };
        m_execRecord->refreshed(scanStart, std::move(m_scanSeen), judge);
    });
    m_scanSeen = {};
    if (m_sonCalisanlar && m_sonCalisanlar->isVisible())
        Trap([&] { m_sonCalisanlar->follow(m_execRecord.get(), execState()); });
}

QString Zerva::recentText() const
{
    if (!m_execRecord || execState() != ExecWatch::State::Working)
        return QString();
    const auto since = std::chrono::steady_clock::now() - std::chrono::minutes(1);
    return QStringLiteral("; son 1 dakikada %1 kisa sureli program").arg(m_execRecord->shownSince(since));
}

// One window for the whole run; it comes to the front.
void Zerva::mnSonCalisanlar_Click()
{
    Trap([&] {
        if (!m_sonCalisanlar)
            m_sonCalisanlar = new SonCalisanlar();
        m_sonCalisanlar->follow(m_execRecord.get(), execState());
        m_sonCalisanlar->show();
        m_sonCalisanlar->raise();
        m_sonCalisanlar->activateWindow();
    });
}

void Zerva::lblOS_ContextMenu(const QPoint& at)
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnSayac"));
    QAction* recent = menu.addAction(QStringLiteral("Son Calisanlar..."));
    recent->setObjectName(QStringLiteral("mnSonCalisanlar"));
    if (menu.exec(at) == recent)
        mnSonCalisanlar_Click();
}

} // namespace zerva
