// "Son Calisanlar": the programs that ran between two refreshes, as the
// main window records and shows them.
#include "fakes/fake_exec_watch.h"
#include "fakes/zerva_fixture.h"
#include "platform/controls/left_to_right.h"
#include "platform/controls/list_view.h"
#include "process/display_text.h"
#include "trusted/mixed_script.h"
#include "windows/son_calisanlar.h"
#include "windows/son_calisanlar_model.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace zerva;
using namespace zerva::test;

namespace {

ExecSeen Exec(std::int64_t pid, std::optional<std::string> path, std::optional<std::string> commandLine = {})
{
    ExecSeen e;
    e.pid = pid;
    e.parentPid = 1;
    // Ended before the refresh that follows.
    e.at = std::chrono::steady_clock::now() - std::chrono::milliseconds(5);
    e.when = std::chrono::system_clock::now();
    e.startTime = 99;
    e.user = 1000;
    e.account = "kullanici";
    e.name = "ki\x1bsa";
    e.path = std::move(path);
    e.commandLine = std::move(commandLine);
    return e;
}

std::shared_ptr<FakeExecWatch> Watch(ExecWatch::State state = ExecWatch::State::Working)
{
    auto watch = std::make_shared<FakeExecWatch>();
    watch->current = state;
    return watch;
}

QList<qint64> Pids(const SonCalisanlarModel& model)
{
    QList<qint64> pids;
    for (int r = 0; r < model.rowCount(); ++r)
        pids.push_back(model.text(r, SonCalisanlarModel::Pid).toLongLong());
    return pids;
}

} // namespace

class TestSonCalisanlar : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QApplication::setApplicationName("Zerva"); }

    // A row shows what a process wrote as the process list would.
    void rows_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("commandLine");
        QTest::newRow("plain") << QByteArray("/tmp/x/kisa") << QByteArray("kisa -v");
        QTest::newRow("line break in the name") << QByteArray("/tmp/a\nb") << QByteArray("a\nsahte satir");
        QTest::newRow("right-to-left") << QByteArray("/tmp/\xd7\x90\xd7\x91/x") << QByteArray("\xe2\x80\xae" "exe.txt");
        QTest::newRow("mixed scripts") << QByteArray("/usr/bin/sl\xd0\xb5" "ep") << QByteArray("sleep 1");
        QTest::newRow("not UTF-8") << QByteArray("/tmp/\xff\xfe") << QByteArray("\x01\x7f");
        QTest::newRow("blank at the end") << QByteArray("/tmp/kisa ") << QByteArray("x\t");
    }
    void rows()
    {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, commandLine);
        ExecRecord record;
        record.add(Exec(42, path.toStdString(), commandLine.toStdString()));
        record.refreshed(std::chrono::steady_clock::now(), {}, [](const ExecSeen&) {
            return ExecRecord::Judgement::NotTrusted;
        });
        SonCalisanlarModel model;
        model.follow(record);
        QCOMPARE(model.rowCount(), 1);
        const QString shownPath = DisplayText(path.toStdString());
        QCOMPARE(model.text(0, SonCalisanlarModel::Program), shownPath);
        QCOMPARE(model.text(0, SonCalisanlarModel::KomutSatiri), DisplayText(commandLine.toStdString()));
        QVERIFY(!model.text(0, SonCalisanlarModel::Program).contains(u'\n'));
        const QModelIndex cell = model.index(0, SonCalisanlarModel::Program);
        QCOMPARE(model.data(cell, Qt::DisplayRole).toString(), LeftToRight(shownPath));
        QCOMPARE(model.data(cell, Qt::AccessibleTextRole).toString(), shownPath);
        QCOMPARE(model.warning(0), MixedScriptReason(shownPath));
        QCOMPARE(model.data(model.index(0, 0), Qt::DecorationRole).isNull(), MixedScriptReason(shownPath).isEmpty());
        QCOMPARE(model.text(0, SonCalisanlarModel::Hesap), QStringLiteral("kullanici (1000)"));
        QCOMPARE(model.text(0, SonCalisanlarModel::Ad), QStringLiteral("ki\\x1Bsa"));
        QVERIFY(model.text(0, SonCalisanlarModel::Neden).contains(QStringLiteral("guvenilir degil")));
    }

    // Through the main window: untrusted programs that ended unseen, newest
    // first; trusted ones and listed ones are not rows.
    void window_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("withWatch");
        QTest::addColumn<bool>("lost");
        QTest::addColumn<QList<qint64>>("rows");
        QTest::addColumn<QString>("says");
        QTest::addColumn<QString>("tooltipEnd");
        const int working = int(ExecWatch::State::Working);
        QTest::newRow("root: newest first")
            << working << true << false << QList<qint64>{205, 203, 202, 201}
            << "Guvenilir olanlar yalnizca sayilir: 1" << "; son 1 dakikada 4 kisa sureli program";
        QTest::newRow("root, events lost")
            << working << true << true << QList<qint64>{205, 203, 202, 201} << "bazi olaylar kacirildi"
            << "; son 1 dakikada 4 kisa sureli program";
        QTest::newRow("not root") << int(ExecWatch::State::NeedsRoot) << true << false << QList<qint64>{}
                                  << "root yetkisi gerekir" << "guvenilir";
        QTest::newRow("kernel refuses") << int(ExecWatch::State::Refused) << true << false << QList<qint64>{}
                                        << "kaydedilemiyor" << "guvenilir";
        QTest::newRow("no watch") << working << false << false << QList<qint64>{} << "kaydedilemiyor"
                                  << "guvenilir";
    }
    void window()
    {
        QFETCH(int, state);
        QFETCH(bool, withWatch);
        QFETCH(bool, lost);
        QFETCH(QList<qint64>, rows);
        QFETCH(QString, says);
        QFETCH(QString, tooltipEnd);
        auto watch = Watch(ExecWatch::State(state));
        ProcessInfo listed = MakeProcess(204, "uzun", "/tmp/x/uzun");
        listed.startTime = 99;
        ProcessInfo trustedRunning = MakeProcess(300, "guvenli", "/bin/guvenli");
        ZervaFixture z(ZervaFixture::Pieces{.processes = {listed, trustedRunning},
                                            .execWatch = withWatch ? watch : nullptr});
        z.form().TrList->add(QStringLiteral("/bin/guvenli"));
        z.source->identifies = true;
        z.source->files["/bin/guvenli"] = FileId{1, 2};
        z.source->running[300] = FileId{1, 2};
        // 201-203 unseen; 204 still running; 205 ran another file under the
        // trusted path; 206 the trusted file itself.
        watch->pending.push_back(Exec(201, std::string("/tmp/x/kisa")));
        watch->pending.push_back(Exec(202, std::nullopt));
        watch->pending.push_back(Exec(203, std::string("/tmp/x/kisa")));
        watch->pending.push_back(Exec(204, std::string("/tmp/x/uzun")));
        ExecSeen other = Exec(205, std::string("/bin/guvenli"));
        other.file = FileId{1, 3};
        watch->pending.push_back(other);
        ExecSeen same = Exec(206, std::string("/bin/guvenli"));
        same.file = FileId{1, 2};
        watch->pending.push_back(same);
        watch->lost = lost;
        z.window->cmdRefresh_Click();
        z.window->mnSonCalisanlar_Click();
        SonCalisanlar* w = z.window->sonCalisanlar();
        QVERIFY(w);
        QVERIFY(w->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("Son Calisanlar"));
        QCOMPARE(Pids(*w->model()), rows);
        QVERIFY2(w->lblDurum()->text().contains(says) || w->lblKayip()->text().contains(says),
                 qPrintable(w->lblDurum()->text()));
        QCOMPARE(w->lblKayip()->isVisible(), lost);
        QVERIFY(z.form().lblOS->toolTip().endsWith(tooltipEnd));
        QCOMPARE(z.form().lblOS->accessibleDescription(), z.form().lblOS->toolTip());
        if (rows.size() > 1) {
            QVERIFY(w->model()->text(0, SonCalisanlarModel::Neden).contains(QStringLiteral("baska dosya")));
            QVERIFY(w->model()->text(2, SonCalisanlarModel::Neden).contains(QStringLiteral("okunamadi")));
        }
        // Not root: the record costs nothing and the list is as before.
        QCOMPARE(z.window->execRecord() != nullptr, withWatch && state == int(ExecWatch::State::Working));
        QCOMPARE(z.form().lblOS->text(), QStringLiteral("Toplam 1 Process"));

        // Later programs come on top at the next refresh, the window open.
        watch->pending.push_back(Exec(207, std::string("/tmp/x/kisa")));
        z.window->cmdRefresh_Click();
        if (!rows.isEmpty())
            QCOMPARE(Pids(*w->model()).front(), qint64(207));
        QCOMPARE(z.window->sonCalisanlar(), w);   // one shared window
        w->close();
    }

    // A refresh takes in a bounded number of execs; the rest wait.
    void boundedPerRefresh()
    {
        auto watch = Watch();
        ZervaFixture z(ZervaFixture::Pieces{.execWatch = watch});
        for (int i = 0; i < 10005; ++i)
            watch->pending.push_back(Exec(1000 + i, std::string("/tmp/x/kisa")));
        z.window->cmdRefresh_Click();
        QCOMPARE(watch->lastLimit, ExecRecord::DefaultCapacity);
        QCOMPARE(watch->pending.size(), std::size_t(5));
        z.window->cmdRefresh_Click();
        QVERIFY(watch->pending.empty());
        z.window->mnSonCalisanlar_Click();
        QCOMPARE(z.window->sonCalisanlar()->model()->rowCount(), int(ExecRecord::DefaultCapacity));
        QCOMPARE(z.window->sonCalisanlar()->model()->text(0, SonCalisanlarModel::Pid), QStringLiteral("11004"));
        z.window->sonCalisanlar()->close();
    }

    // The count label's context menu opens the window.
    void fromTheCountLabel()
    {
        ZervaFixture z(ZervaFixture::Pieces{.execWatch = Watch(ExecWatch::State::NeedsRoot)});
        z.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(z.window.get()));
        QLabel* label = z.form().lblOS;
        QCOMPARE(label->contextMenuPolicy(), Qt::CustomContextMenu);
        QStringList items;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction* a : menu->actions())
                items << a->objectName() + u'=' + a->text();
            for (QAction* a : menu->actions())
                if (a->objectName() == QLatin1String("mnSonCalisanlar"))
                    menu->setActiveAction(a);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        Q_EMIT label->customContextMenuRequested(label->rect().center());
        QCOMPARE(items, QStringList{"mnSonCalisanlar=Son Calisanlar..."});
        QTRY_VERIFY(z.window->sonCalisanlar() && z.window->sonCalisanlar()->isVisible());
        QVERIFY(z.window->sonCalisanlar()->lblDurum()->text().contains(QStringLiteral("root yetkisi gerekir")));
        QVERIFY(!z.window->sonCalisanlar()->lblDurum()->text().contains(QRegularExpression("[^\\x{0}-\\x{7f}]")));
        z.window->sonCalisanlar()->close();
    }
};

QTEST_MAIN(TestSonCalisanlar)
#include "test_son_calisanlar.moc"
