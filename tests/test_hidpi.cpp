// On a high-resolution screen (QT_SCALE_FACTOR=2) every window keeps its
// designed proportions: the geometry in logical pixels, window and controls
// alike, and the text metrics are those of a normal screen, and each window
// is drawn with twice as many device pixels. The scale factor is fixed when
// the application starts, so this test runs itself twice as a child process
// (once per factor) and compares what the two runs report.
#include "fakes/zerva_fixture.h"
#include "platform/controls/list_view.h"

#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QtTest>

#include <cstdio>

using namespace zerva;
using namespace zerva::test;

namespace {

const char* const DumpVariable = "ZERVA_TEST_DUMP_GEOMETRY";
const QStringList Windows = {"Zerva", "Dialog", "Hakkinda"};

// One line per named widget of a window: where it lies relative to the
// window, how big it is, and how tall a line of its text is.
void DumpWindow(QWidget* window, QTextStream& out)
{
    // Where a window lands on the screen is the platform's business (the
    // test platform's screen is smaller in logical pixels at a factor of 2);
    // its size is ours.
    const QString name = window->objectName();
    out << "geometry " << name << " " << window->width() << " " << window->height() << "\n";
    const QImage image = window->grab().toImage();
    out << "pixels " << name << " " << image.width() << " " << image.height() << "\n";
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->objectName().isEmpty() || child->objectName().startsWith(u"qt_"))
            continue;
        const QRect r(child->mapTo(window, QPoint(0, 0)), child->size());
        out << "geometry " << name << "/" << child->objectName() << " " << r.x() << " " << r.y()
            << " " << r.width() << " " << r.height() << " "
            << QFontMetrics(child->font()).height() << "\n";
    }
}

// Child-process mode: opens the three windows the way a user does and
// writes their geometry to stdout.
int DumpGeometry(int argc, char* argv[])
{
    QApplication app(argc, argv);
    ZervaFixture z({MakeProcess(1, "init", "/sbin/init"), MakeProcess(2, "bash", "/bin/bash")});
    z.window->Form_Load();
    z.window->show();
    if (!QTest::qWaitForWindowExposed(z.window.get()))
        return 1;

    // The details window: a double-click on the visible list's first row.
    ListView* list = z.form().List1->isHidden() ? z.form().BufList : z.form().List1;
    list->setCurrentIndex(list->model()->index(0, 0));
    Q_EMIT list->DblClick();
    // The About window: its menu item (it returns once the text is in).
    if (auto* about = z.window->findChild<QAction*>(QStringLiteral("mnhakkinda")))
        about->trigger();
    QCoreApplication::processEvents();

    QTextStream out(stdout);
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && Windows.contains(window->objectName()))
            DumpWindow(window, out);
    return 0;
}

// The lines of a child run at the given scale factor.
QStringList Run(const QString& scale)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(DumpVariable), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), scale);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {});
    if (!child.waitForFinished(120000) || child.exitCode() != 0)
        return {};
    return QString::fromUtf8(child.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

QStringList Select(const QStringList& lines, const QString& kind, const QString& window)
{
    QStringList selected;
    for (const QString& line : lines) {
        const QStringList f = line.split(u' ');
        if (f.value(0) == kind && (f.value(1) == window || f.value(1).startsWith(window + u'/')))
            selected << line;
    }
    return selected;
}

} // namespace

class TestHiDpi : public QObject {
    Q_OBJECT
private:
    QStringList m_normal;
    QStringList m_double;

private Q_SLOTS:
    void initTestCase()
    {
        m_normal = Run(QStringLiteral("1"));
        m_double = Run(QStringLiteral("2"));
        QVERIFY(!m_normal.isEmpty());
        QVERIFY(!m_double.isEmpty());
    }

    void proportionsKept_data()
    {
        QTest::addColumn<QString>("window");
        for (const QString& w : Windows)
            QTest::newRow(qPrintable(w)) << w;
    }
    void proportionsKept()
    {
        QFETCH(QString, window);
        const QStringList normal = Select(m_normal, "geometry", window);
        if (normal.isEmpty())
            QSKIP("this window does not open here yet");
        QCOMPARE(Select(m_double, "geometry", window), normal);
    }

    void twiceTheDevicePixels_data() { proportionsKept_data(); }
    void twiceTheDevicePixels()
    {
        QFETCH(QString, window);
        const QStringList normal = Select(m_normal, "pixels", window);
        if (normal.isEmpty())
            QSKIP("this window does not open here yet");
        const QStringList doubled = Select(m_double, "pixels", window);
        QCOMPARE(doubled.size(), 1);
        const QStringList n = normal.first().split(u' ');
        const QStringList d = doubled.first().split(u' ');
        QCOMPARE(d.value(2).toInt(), 2 * n.value(2).toInt());
        QCOMPARE(d.value(3).toInt(), 2 * n.value(3).toInt());
    }
};

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsSet(DumpVariable))
        return DumpGeometry(argc, argv);
    QApplication app(argc, argv);
    TestHiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_hidpi.moc"
