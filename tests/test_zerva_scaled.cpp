#include "fakes/zerva_fixture.h"
#include "platform/list_view.h"
#include "windows/dialog.h"
#include "windows/dialog_window.h"

#include <QPushButton>
#include <QtTest>

using namespace zerva;
using namespace zerva::test;

// The windows on a screen scaled by 2: the measures are in device
// independent pixels, so every window is twice as large in device pixels.
class TestZervaScaled : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void mainWindow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("devicePixels");
        QTest::newRow("client") << "client" << QRect(0, 0, 926, 638);
        QTest::newRow("List1") << "List1" << QRect(0, 0, 926, 564);
        QTest::newRow("cmdExit") << "cmdExit" << QRect(786, 584, 134, 46);
        QTest::newRow("Frame1") << "Frame1" << QRect(708, 458, 180, 70);
    }

    void mainWindow()
    {
        QFETCH(QString, name);
        QFETCH(QRect, devicePixels);
        ZervaFixture z;
        z.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(z.window.get()));
        QCOMPARE(z.window->devicePixelRatio(), 2.0);
        QWidget* w = z.window->findChild<QWidget*>(name);
        QVERIFY(w);
        const QRect logical = name == "client" ? QRect(QPoint(0, 0), w->size()) : w->geometry();
        QCOMPARE(QRect(logical.topLeft() * 2, logical.size() * 2), devicePixels);
        QCOMPARE(w->grab().size(), devicePixels.size());
    }

    void detailsWindow()
    {
        ZervaFixture z(ManyProcesses(1));
        z.window->Form_Load();
        ListView& list = *z.form().BufList;
        list.setCurrentIndex(list.model()->index(0, 0));
        Q_EMIT list.DblClick();
        DialogWindow* window = z.window->dialog()->window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->grab().size(), QSize(968, 568));
        QCOMPARE(window->geometry().topLeft() * 2, QPoint(368, 500));
        window->close();
    }
};

int main(int argc, char* argv[])
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestZervaScaled test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_zerva_scaled.moc"
