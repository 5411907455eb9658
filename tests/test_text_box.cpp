#include "platform/controls/text_box.h"

#include <QTextBlock>
#include <QtTest>

using namespace zerva;

class TestTextBox : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The text reads back exactly as written, whatever its line breaks.
    void readsBackWhatWasWritten_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("CR LF inside") << QStringLiteral("Dosya:\r\nbash");
        QTest::newRow("CR LF at the end") << QStringLiteral("a\r\nb\r\n");
        QTest::newRow("blank lines") << QStringLiteral("Path: \r\n\r\nAyrintilar: \r\n");
        QTest::newRow("bare LF and CR") << QStringLiteral("a\nb\rc");
        QTest::newRow("trailing blanks") << QStringLiteral("x  \r\n  ");
    }

    void readsBackWhatWasWritten()
    {
        QFETCH(QString, text);
        TextBox box;
        box.setText(text);
        QCOMPARE(box.text(), text);
        // Again, after a read: the handler appends to what it reads.
        box.setText(box.text() + QStringLiteral("\r\nz"));
        QCOMPARE(box.text(), text + QStringLiteral("\r\nz"));
    }

    void showsLinesNotBreakCharacters()
    {
        TextBox box;
        box.setText(QStringLiteral("one\r\ntwo\r\n"));
        QCOMPARE(box.document()->blockCount(), 3);
        QCOMPARE(box.document()->findBlockByNumber(0).text(), QStringLiteral("one"));
    }

    void editedTextReadsAsShown()
    {
        TextBox box;
        box.setText(QStringLiteral("one\r\ntwo"));
        box.moveCursor(QTextCursor::End);
        QTest::keyClicks(&box, QStringLiteral("!"));
        QTest::keyClick(&box, Qt::Key_Return);
        QTest::keyClicks(&box, QStringLiteral("3"));
        QCOMPARE(box.text(), QStringLiteral("one\r\ntwo!\r\n3"));
        box.setText(QStringLiteral("fresh"));
        QCOMPARE(box.text(), QStringLiteral("fresh"));
        QCOMPARE(box.textCursor().position(), 0);
    }
};

QTEST_MAIN(TestTextBox)
#include "test_text_box.moc"
