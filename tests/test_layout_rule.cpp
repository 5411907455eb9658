#include "main_window/layout_rule.h"
#include "platform/controls/twips.h"

#include <QtTest>

using namespace zerva;

namespace {

QString targetName(LayoutTarget t)
{
    switch (t) {
    case LayoutTarget::List1: return "List1";
    case LayoutTarget::BufList: return "BufList";
    case LayoutTarget::cmdRefresh: return "cmdRefresh";
    case LayoutTarget::cmdExit: return "cmdExit";
    case LayoutTarget::lblOS: return "lblOS";
    case LayoutTarget::Check1: return "Check1";
    case LayoutTarget::Check2: return "Check2";
    case LayoutTarget::Frame1: return "Frame1";
    }
    return "?";
}

QString num(float v)
{
    return QString::number(static_cast<double>(v), 'g', 9);
}

// One step as "control what values", only the values the step sets.
QString describe(const LayoutStep& s)
{
    const QString name = targetName(s.target);
    switch (s.set) {
    case LayoutSet::Height: return name + " height " + num(s.height);
    case LayoutSet::Width: return name + " width " + num(s.width);
    case LayoutSet::LeftTop: return name + " at " + num(s.left) + " " + num(s.top);
    case LayoutSet::Rect:
        return name + " " + num(s.left) + " " + num(s.top) + " " + num(s.width) + " " + num(s.height);
    }
    return "?";
}

} // namespace

class TestLayoutRule : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void steps_data()
    {
        QTest::addColumn<float>("w");
        QTest::addColumn<float>("h");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("as first shown") << 6945.0f << 4785.0f << QStringList{
            "List1 height 4235", "BufList height 4235", "BufList at 0 0", "List1 at 0 0",
            "List1 width 6945", "BufList width 6945",
            "cmdRefresh 4845 4385 1000 350", "cmdExit 5895 4385 1000 350",
            "lblOS 77 4485 3000 200", "Check1 3077 4485 1700 200", "Check2 1577 4485 1400 200",
            "Frame1 5305 3435 1350 520"};
        // Wider: only the buttons and the banner move right, the lists widen.
        QTest::newRow("wide") << 15000.0f << 4785.0f << QStringList{
            "List1 height 4235", "BufList height 4235", "BufList at 0 0", "List1 at 0 0",
            "List1 width 15000", "BufList width 15000",
            "cmdRefresh 12900 4385 1000 350", "cmdExit 13950 4385 1000 350",
            "lblOS 77 4485 3000 200", "Check1 3077 4485 1700 200", "Check2 1577 4485 1400 200",
            "Frame1 13360 3435 1350 520"};
        // Taller: the lists lengthen, the band keeps its distance from the bottom.
        QTest::newRow("tall") << 6945.0f << 9000.0f << QStringList{
            "List1 height 8450", "BufList height 8450", "BufList at 0 0", "List1 at 0 0",
            "List1 width 6945", "BufList width 6945",
            "cmdRefresh 4845 8600 1000 350", "cmdExit 5895 8600 1000 350",
            "lblOS 77 8700 3000 200", "Check1 3077 8700 1700 200", "Check2 1577 8700 1400 200",
            "Frame1 5305 7650 1350 520"};
        // Below 550 twips the lists are asked for a negative height.
        QTest::newRow("tiny") << 1500.0f << 300.0f << QStringList{
            "List1 height -250", "BufList height -250", "BufList at 0 0", "List1 at 0 0",
            "List1 width 1500", "BufList width 1500",
            "cmdRefresh -600 -100 1000 350", "cmdExit 450 -100 1000 350",
            "lblOS 77 0 3000 200", "Check1 3077 0 1700 200", "Check2 1577 0 1400 200",
            "Frame1 -140 -1050 1350 520"};
        QTest::newRow("minimised") << 6945.0f << 0.0f << QStringList{
            "List1 height -550", "BufList height -550", "BufList at 0 0", "List1 at 0 0",
            "List1 width 6945", "BufList width 6945",
            "cmdRefresh 4845 -400 1000 350", "cmdExit 5895 -400 1000 350",
            "lblOS 77 -300 3000 200", "Check1 3077 -300 1700 200", "Check2 1577 -300 1400 200",
            "Frame1 5305 -1350 1350 520"};
    }

    void steps()
    {
        QFETCH(float, w);
        QFETCH(float, h);
        QFETCH(QStringList, expected);
        QStringList got;
        for (const LayoutStep& s : LayoutRule(w, h))
            got << describe(s);
        QCOMPARE(got, expected);
    }

    void twipsToPixels_data()
    {
        QTest::addColumn<double>("dpi");
        QTest::addColumn<double>("twips");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("size");
        QTest::newRow("96 dpi width") << 96.0 << 6945.0 << 463 << 463;
        QTest::newRow("96 dpi height") << 96.0 << 4785.0 << 319 << 319;
        QTest::newRow("96 dpi column") << 96.0 << 5000.0 << 333 << 333;
        QTest::newRow("96 dpi list height") << 96.0 << 4235.0 << 282 << 282;
        QTest::newRow("96 dpi half up") << 96.0 << 7.5 << 1 << 1;
        QTest::newRow("96 dpi left of the edge") << 96.0 << -100.0 << -7 << -7;
        // A negative size must stay negative, or the toolkit would take it.
        QTest::newRow("96 dpi small negative size") << 96.0 << -5.0 << 0 << -1;
        QTest::newRow("96 dpi zero") << 96.0 << 0.0 << 0 << 0;
        QTest::newRow("120 dpi") << 120.0 << 6945.0 << 579 << 579;
        QTest::newRow("192 dpi") << 192.0 << 6945.0 << 926 << 926;
        QTest::newRow("no dpi known") << 0.0 << 6945.0 << 463 << 463;
    }

    void twipsToPixels()
    {
        QFETCH(double, dpi);
        QFETCH(double, twips);
        QFETCH(int, position);
        QFETCH(int, size);
        const Twips t(dpi, dpi);
        QCOMPARE(t.x(twips), position);
        QCOMPARE(t.y(twips), position);
        QCOMPARE(t.width(twips), size);
        QCOMPARE(t.height(twips), size);
    }

    void pixelsToTwips_data()
    {
        QTest::addColumn<double>("dpiX");
        QTest::addColumn<double>("dpiY");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("y");
        QTest::newRow("96 dpi") << 96.0 << 96.0 << 463 << 6945.0f << 6945.0f;
        QTest::newRow("192 dpi") << 192.0 << 192.0 << 926 << 6945.0f << 6945.0f;
        QTest::newRow("axes apart") << 96.0 << 144.0 << 30 << 450.0f << 300.0f;
    }

    void pixelsToTwips()
    {
        QFETCH(double, dpiX);
        QFETCH(double, dpiY);
        QFETCH(int, pixels);
        QFETCH(float, x);
        QFETCH(float, y);
        const Twips t(dpiX, dpiY);
        QCOMPARE(t.fromX(pixels), x);
        QCOMPARE(t.fromY(pixels), y);
    }
};

QTEST_APPLESS_MAIN(TestLayoutRule)
#include "test_layout_rule.moc"
