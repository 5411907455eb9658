#include "fakes/zerva_fixture.h"
#include "platform/controls/list_view.h"
#include "windows/dialog.h"
#include "windows/dialog_window.h"

#include <QPushButton>
#include <QtTest>

using namespace zerva;
using namespace zerva::test;

// On a screen scaled by 2 the measures stay in device independent pixels:
// every window is twice as large in device pixels.
class TestZervaScaled : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void windows()
    {
        ZervaFixture z(ManyProcesses(1));
        z.window->Form_Load();
        z.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(z.window.get()));
        QCOMPARE(z.window->devicePixelRatio(), 2.0);
        QCOMPARE(z.window->centralWidget()->grab().size(), QSize(926, 638));
        QCOMPARE(z.form().cmdExit->geometry(), QRect(393, 292, 67, 23));

        ListView& list = *z.form().BufList;
        list.setCurrentIndex(list.model()->index(0, 0));
        Q_EMIT list.DblClick();
        DialogWindow* details = z.window->dialog()->window();
        QVERIFY(QTest::qWaitForWindowExposed(details));
        QCOMPARE(details->grab().size(), QSize(968, 568));
        details->close();
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
