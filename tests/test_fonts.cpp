// The fonts our windows name by their Windows names resolve to the face
// itself or to a metric-compatible one (Debian's Liberation fonts through
// fontconfig's aliases), never to a fallback with other widths, which would
// reflow the About text and cut it off in its fixed-size label.
#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QtTest>

class TestFonts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void metricCompatible_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<double>("points");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<QStringList>("accepted");
        const QStringList times = {"Times New Roman", "Liberation Serif"};
        // Label1 of the About window.
        QTest::newRow("About text") << "Times New Roman" << 9.75 << true << times;
        QTest::newRow("Times New Roman upright") << "Times New Roman" << 9.75 << false << times;
    }
    void metricCompatible()
    {
        QFETCH(QString, family);
        QFETCH(double, points);
        QFETCH(bool, italic);
        QFETCH(QStringList, accepted);
        QFont font(family);
        font.setPointSizeF(points);
        font.setItalic(italic);
        font.setWeight(QFont::Normal);
        const QFontInfo info(font);
        QVERIFY2(accepted.contains(info.family()), qPrintable(family + " -> " + info.family()));
        QCOMPARE(info.italic(), italic);
        QCOMPARE(info.weight(), int(QFont::Normal));
    }

    // Metric compatibility as the label sees it: the face that stands in for
    // the named one sets a line exactly as wide as the face it names would
    // (Times New Roman's digits are half an em wide).
    void digitsHalfAnEm()
    {
        QFont font(QStringLiteral("Times New Roman"));
        font.setPixelSize(200);
        font.setItalic(true);
        const QFontMetricsF metrics(font);
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("0123456789")), 1000.0);
    }
};

QTEST_MAIN(TestFonts)
#include "test_fonts.moc"
