#include "fakes/input_box_answer.h"
#include "fakes/message_box_answer.h"
#include "fakes/shown.h"
#include "fakes/zerva_fixture.h"
#include "platform/controls/check_box.h"
#include "platform/controls/input_box.h"
#include "platform/controls/left_to_right.h"
#include "platform/controls/question_box.h"
#include "platform/controls/list_view.h"
#include "platform/os/conf_codec.h"
#include "windows/guvenilir_programlar.h"
#include "platform/controls/message_box.h"
#include "platform/os/conf_file.h"

#include <QAccessible>
#include <QDateTime>
#include <QFileInfo>
#include <QSysInfo>
#include <QApplication>
#include <QContextMenuEvent>
#include <QInputDialog>
#include <QLineEdit>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>

using namespace zerva;
using namespace zerva::test;

namespace {

const QString kPrompt = QStringLiteral("Guvenilir olacak programi girin.(Orn: c:\\windows\\explorer.exe)");

void SetConf(const QByteArray& bytes)
{
    QFile f("kvr.conf");
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

// The main window on three fake processes, its input box answering `answer`
// and noting its prompts, or the real input box; its message boxes noted in
// `messages`, or the real one.
std::unique_ptr<Zerva> Window(QStringList* prompts = nullptr, const QString* answer = nullptr,
                              QStringList* messages = nullptr, ZervaFixture::Pieces pieces = {},
                              FakeProcessSource** source = nullptr)
{
    pieces.processes = {MakeProcess(1, "a", "/opt/a"), MakeProcess(2, "b", "/opt/B"), MakeProcess(3, "c", "/opt/c")};
    pieces.inputBox = InputBox;
    pieces.messageBox = MessageBox;
    if (prompts)
        pieces.inputBox = [=](const QString& prompt, const QString&) { *prompts << prompt; return *answer; };
    if (messages)
        pieces.messageBox = [=](const QString& text) { *messages << text; };
    ZervaFixture fixture(std::move(pieces));
    if (source)
        *source = fixture.source;
    auto window = std::move(fixture.window);
    window->Form_Load();
    return window;
}

// Chooses the item named `item` of the next context menu, or closes the menu
// when that item is disabled; notes the items, "-" before a disabled one.
struct MenuChoice {
    QStringList items;
    QTimer poll;
    explicit MenuChoice(const QString& item)
    {
        QObject::connect(&poll, &QTimer::timeout, &poll, [this, item] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            poll.stop();
            QAction* chosen = nullptr;
            for (QAction* a : menu->actions()) {
                items << (a->isEnabled() ? QString() : QStringLiteral("-")) + a->objectName() + u'=' + a->text();
                if (a->objectName() == item && a->isEnabled())
                    chosen = a;
            }
            if (!chosen) {
                menu->close();
                return;
            }
            menu->setActiveAction(chosen);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        poll.start(10);
    }
};

// Asks the shown process list for its context menu over the row of
// caption `caption` (none: below the rows), by a right click or by the
// menu key on that row.
void ContextMenu(const ZervaForm& form, const QString& caption, bool menuKey)
{
    auto& list = const_cast<ListView&>(ShownList(form));
    QModelIndex index;
    for (int i = 0; i < list.count(); ++i)
        if (list.text(i) == caption)
            index = list.model()->index(i, 0);
    if (menuKey) {
        list.setCurrentIndex(index);
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        QApplication::sendEvent(&list, &event);
    } else {
        const QPoint at = index.isValid() ? list.visualRect(index).center() : list.viewport()->rect().bottomLeft();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, list.viewport()->mapToGlobal(at));
        QApplication::sendEvent(list.viewport(), &event);
    }
}

// Whether a text is Turkish without Turkish letters: ASCII, as the windows
// write it (a path shown in it aside).
bool Ascii(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// Whether every byte is ASCII: the same file on every system.
bool IsAscii(const QByteArray& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

const QStringList kMenu{"mnGPE=Guvenilir Program Ekle", "mnGuvenilirProgramlar=Guvenilir Programlar...",
                        "mnSonCalisanlar=Son Calisanlar..."};
const QString kNo = QStringLiteral("Program eklenemedi: ");

} // namespace

class TestZervaTrusted : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_home = QDir::currentPath();

private Q_SLOTS:
    void initTestCase() { QApplication::setApplicationName("Zerva"); }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(m_dir->path()));
    }
    void cleanup() { QDir::setCurrent(m_home); }

    void startUp_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("missing: created empty") << QByteArray() << QStringList{"/opt/a", "/opt/B", "/opt/c"};
        QTest::newRow("whole paths, any case") << QByteArray("/OPT/A\r\n\r\n/opt/b") << QStringList{"/opt/c"};
        QTest::newRow("quoted entry") << QByteArray("  \"/opt/c\"") << QStringList{"/opt/a", "/opt/B"};
        QTest::newRow("windows-1254") << QByteArray("/opt/a\xfe\n/opt/c") << QStringList{"/opt/a", "/opt/B"};
    }
    void startUp()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, shown);
        if (!file.isEmpty())
            SetConf(file);
        auto window = Window();
        QCOMPARE(ShownPaths(window->form()), shown);
        QCOMPARE(ConfBytes(), file);
        window->form().Check1->click();
        QCOMPARE(ShownPaths(window->form()).size(), 3);
    }

    // Two adds, the second one after the file was edited by hand; each takes
    // effect at the next refresh, not at once.
    void addsThenRefresh()
    {
        QStringList prompts;
        QString answer = "/OPT/A";
        auto window = Window(&prompts, &answer);
        window->GPE_Click();
        SetConf(ConfBytes() + "\"/opt/c\"\r\n");
        answer = "/opt/b";
        window->GPE_Click();
        QCOMPARE(prompts, (QStringList{kPrompt, kPrompt}));
        QCOMPARE(ConfBytes(), QByteArray("/opt/b\r\n/opt/a\r\n\"/opt/c\"\r\n"));
        QCOMPARE(ShownPaths(window->form()).size(), 3);
        window->form().cmdRefresh->click();
        QCOMPARE(ShownPaths(window->form()), QStringList{});
        QCOMPARE(window->form().lblOS->text(), QStringLiteral("Toplam 0 Process"));
    }

    // The real input box, answered as a user would.
    void realInputBox_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("typed, then Enter") << true;
        QTest::newRow("typed, then Cancel") << false;
    }
    void realInputBox()
    {
        QFETCH(bool, ok);
        auto window = Window();
        window->show();
        const InputBoxAnswer answer("/OPT/C", ok);
        window->GPE_Click();
        QCOMPARE(answer.label, kPrompt);
        QCOMPARE(answer.title, QStringLiteral("Zerva"));
        QCOMPARE(answer.initial, QString());
        QCOMPARE(ConfBytes(), ok ? QByteArray("/opt/c\r\n") : QByteArray());
        window->form().cmdRefresh->click();
        QCOMPARE(ShownPaths(window->form()).size(), ok ? 2 : 3);
    }

    // "Guvenilir Program Ekle" from a row of either list: the box holds the
    // path as the process reported it (not as shown, escaped), and the add
    // follows the menu bar's rules. A row without a usable path cannot.
    void addFromARow_data()
    {
        QTest::addColumn<QByteArray>("path");   // of the process "x"; null: none
        QTest::addColumn<bool>("menuKey");
        QTest::addColumn<bool>("bufList");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("right click, List1") << QByteArray("/opt/X") << false << false << QByteArray("/opt/x\r\n");
        QTest::newRow("menu key, BufList") << QByteArray("/opt/X") << true << true << QByteArray("/opt/x\r\n");
        QTest::newRow("shown escaped, added as it is")
            << QByteArray("/opt/\u200ex") << false << true << QByteArray("/opt/\u200ex\r\n");
        QTest::newRow("no-break space") << QByteArray("/opt/x\u00A0y") << false << false
                                        << QByteArray("/opt/x\u00A0y\r\n");
        QTest::newRow("trailing blank") << QByteArray("/opt/x ") << false << false << QByteArray("\"/opt/x \"\r\n");
        QTest::newRow("zero width space") << QByteArray("/opt/x\u200By") << true << false
                                          << QByteArray("/opt/x\u200By\r\n");
        QTest::newRow("right-to-left folder") << QByteArray("/opt/\u05D0\u05D1/x") << false << true
                                              << QByteArray("/opt/\u05D0\u05D1/x\r\n");
        QTest::newRow("not UTF-8: disabled") << QByteArray("/opt/\xff") << false << false << QByteArray();
        QTest::newRow("caption only: disabled") << QByteArray() << true << false << QByteArray();
    }
    void addFromARow()
    {
        QFETCH(QByteArray, path);
        QFETCH(bool, menuKey);
        QFETCH(bool, bufList);
        QFETCH(QByteArray, after);
        if (QSysInfo::productType() == QLatin1String("windows") && !IsAscii(path))
            QSKIP("kvr.conf is in the ANSI code page on Windows: these bytes are UTF-8");
        const bool enabled = !path.isNull() && QByteArrayView(path).isValidUtf8();
        bool encodable = false;
        EncodeConfText(QString::fromUtf8(path), &encodable);
        if (!encodable)
            after.clear();   // the system's code page has no such character: refused
        ZervaFixture::Pieces pieces{
            .processes = {MakeProcess(1, "a", "/opt/a"),
                          MakeProcess(4, "x", path.isNull() ? std::nullopt : std::optional(path.toStdString()))},
            .inputBox = InputBox};
        ZervaFixture z(std::move(pieces));
        z.window->Form_Load();   // fills BufList
        z.window->show();
        if (path.isNull())
            z.form().Check1->click();   // lists the caption-only row, in List1
        else if (!bufList)
            z.form().cmdRefresh->click();
        QCOMPARE(&ShownList(z.form()), bufList ? z.form().BufList : z.form().List1);
        const MenuChoice choice("mnGPE");
        const InputBoxAnswer answer("", true);   // Enter: the path as it stands
        ContextMenu(z.form(), "x", menuKey);
        QCOMPARE(choice.items, (QStringList{(enabled ? "" : "-") + kMenu[0], kMenu[1], kMenu[2]}));
        QCOMPARE(answer.initial, enabled ? QString::fromUtf8(path) : QString());
        QCOMPARE(ConfBytes(), after);
        z.form().cmdRefresh->click();
        if (!after.isEmpty()) {
            // Hidden from the next refresh, whatever its path holds. "/opt/X"
            // is lower-cased, so it names no file here; letter case is
            // ignored where the platform cannot tell files apart.
            QCOMPARE(ShownPaths(z.form()), QStringList{"/opt/a"});
            QCOMPARE(z.form().lblOS->toolTip(), QStringLiteral("1 gizli: 1 guvenilir"));
        }
    }

    // "Guvenilir Programlar": the entries in file order; the chosen ones go
    // in one rewrite, the others keep their bytes, and the processes are
    // listed again from the next refresh.
    void removeInTheWindow_data()
    {
        QTest::addColumn<bool>("deleteKey");
        QTest::newRow("Sil") << false;
        QTest::newRow("Delete key") << true;
    }
    void removeInTheWindow()
    {
        QFETCH(bool, deleteKey);
        SetConf("/opt/a\r\n  \"/opt/c\"\r\n/OPT/B\r\n/opt/\xfe\r\n");
        auto window = Window();
        window->show();
        QCOMPARE(ShownPaths(window->form()), QStringList{});
        QCOMPARE(window->form().lblOS->text(), QStringLiteral("Toplam 0 Process"));
        QCOMPARE(window->form().lblOS->toolTip(), QStringLiteral("3 gizli: 3 guvenilir"));
        QCOMPARE(window->form().lblOS->accessibleDescription(), window->form().lblOS->toolTip());

        const MenuChoice choice("mnGuvenilirProgramlar");
        ContextMenu(window->form(), QString(), false);
        QCOMPARE(choice.items, (QStringList{"-" + kMenu[0], kMenu[1], kMenu[2]}));
        GuvenilirProgramlar* trusted = window->guvenilirProgramlar();
        QVERIFY(trusted && trusted->isVisible());
        QCOMPARE(trusted->windowTitle(), QStringLiteral("Guvenilir Programlar"));
        QVERIFY(!trusted->windowIcon().isNull());
        QListView* list = trusted->lstGuvenilir();
        QStringList shown;
        for (int i = 0; i < list->model()->rowCount(); ++i)
            shown << list->model()->index(i, 0).data().toString();
        // None of them names a file here: each is marked so.
        const QString none = QStringLiteral("   (dosya yok)");
        QCOMPARE(shown, (QStringList{"/opt/a" + none, "/opt/c" + none, "/OPT/B" + none, DecodeConfText("/opt/\xfe") + none}));
        for (QWidget* w : {static_cast<QWidget*>(list), static_cast<QWidget*>(trusted->cmdSil()),
                           static_cast<QWidget*>(trusted->cmdKapat())}) {
            QVERIFY(!w->objectName().isEmpty());
            QVERIFY(!QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty());
        }
        QVERIFY(!trusted->cmdSil()->isEnabled());

        list->selectionModel()->select(list->model()->index(0, 0), QItemSelectionModel::Select);
        list->selectionModel()->select(list->model()->index(2, 0), QItemSelectionModel::Select);
        QVERIFY(trusted->cmdSil()->isEnabled());
        if (deleteKey)
            QTest::keyClick(list, Qt::Key_Delete);
        else
            QTest::mouseClick(trusted->cmdSil(), Qt::LeftButton);
        QCOMPARE(ConfBytes(), QByteArray("  \"/opt/c\"\r\n/opt/\xfe\r\n"));
        QCOMPARE(list->model()->rowCount(), 2);
        QCOMPARE(ShownPaths(window->form()), QStringList{});   // from the next refresh
        window->form().cmdRefresh->click();
        QCOMPARE(ShownPaths(window->form()), (QStringList{"/opt/a", "/opt/B"}));
        QCOMPARE(window->form().lblOS->toolTip(), QStringLiteral("1 gizli: 1 guvenilir"));

        QTest::keyClick(list, Qt::Key_Escape);
        QTRY_VERIFY(!window->guvenilirProgramlar());
    }

    // Beside each entry the window shows where it leads when it is a link,
    // and marks one that names no file: it hides nothing. "%1" stands for a
    // folder that holds a file "tool", a link "alias" to it, a link "gone"
    // to nothing and a folder "sub".
    void entryNotes_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("note");
        QTest::newRow("a file") << "%1/tool" << "";
        QTest::newRow("a link") << "%1/alias" << "   -> %1/tool";
        QTest::newRow("through a linked folder") << "%1/sub/up/tool" << "   -> %1/tool";
        QTest::newRow("a dangling link") << "%1/gone" << "   (dosya yok)";
        QTest::newRow("no such file") << "%1/none" << "   (dosya yok)";
        QTest::newRow("a folder") << "%1/sub" << "   (dosya yok)";
        QTest::newRow("not a path of this system") << "c:\\windows\\x.exe" << "   (dosya yok)";
    }
    void entryNotes()
    {
        if (QSysInfo::productType() == QLatin1String("windows"))
            QSKIP("the rows are POSIX programs, links and paths");
        QFETCH(QString, entry);
        QFETCH(QString, note);
        QTemporaryDir files;
        QVERIFY(files.isValid());
        const QString at = QFileInfo(files.path()).canonicalFilePath();
        const QDir d(at);
        QVERIFY(QFile::copy(QStringLiteral("/bin/true"), d.filePath("tool")));
        QVERIFY(QFile::link(d.filePath("tool"), d.filePath("alias")));
        QVERIFY(QFile::link(d.filePath("nothing"), d.filePath("gone")));
        QVERIFY(d.mkpath(QStringLiteral("sub")));
        QVERIFY(QFile::link(at, d.filePath("sub/up")));
        ListView trList;
        trList.add(entry.arg(at));
        GuvenilirProgramlar window(trList);
        QCOMPARE(window.lstGuvenilir()->model()->index(0, 0).data().toString(), entry.arg(at) + note.arg(at));
    }

    // An add that did not happen says why, the file untouched.
    void addMessages_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("message");   // none: added, or cancelled
        QTest::newRow("added") << QByteArray("/opt/a\r\n") << false << "/opt/b" << QString();
        QTest::newRow("cancel") << QByteArray("/opt/a\r\n") << false << "" << QString();
        QTest::newRow("read-only file") << QByteArray("/opt/a\r\n") << true << "/opt/b" << kNo + "kvr.conf salt okunur.";
        QTest::newRow("no text") << QByteArray("/opt/a\0\r\n", 9) << false << "/opt/b"
                                 << kNo + "kvr.conf bir metin dosyasi degil.";
        QTest::newRow("answer too long") << QByteArray() << false << QString(40'000, u'x')
                                         << kNo + "yanit 32767 karakterden uzun.";
        QTest::newRow("line break in the answer") << QByteArray() << false << "/opt/b\n/opt/c"
                                                  << kNo + "bu yanit kvr.conf dosyasina yazilamaz.";
    }
    void addMessages()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, readOnly);
        QFETCH(QString, answer);
        QFETCH(QString, message);
        SetConf(file);
        if (readOnly)
            QVERIFY(QFile::setPermissions("kvr.conf", QFileDevice::ReadOwner | QFileDevice::ReadUser));
        QStringList prompts;
        QStringList messages;
        auto window = Window(&prompts, &answer, &messages);
        window->GPE_Click();
        QCOMPARE(messages, message.isEmpty() ? QStringList{} : QStringList{message});
        const bool added = message.isEmpty() && !answer.isEmpty();
        QCOMPARE(ConfBytes(), added ? answer.toLatin1() + "\r\n" + file : file);
        QFile::setPermissions("kvr.conf", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    // An interpreter (by its name, or listed by the system as a shell) is
    // added only after a question, from the menu bar and from a row alike:
    // "Evet" adds it, "Hayir" leaves kvr.conf byte for byte as it was. No
    // other program is asked about.
    void interpreterQuestion_data()
    {
        QTest::addColumn<bool>("fromRow");
        QTest::addColumn<QString>("path");   // typed, or the process's
        QTest::addColumn<QStringList>("shells");
        QTest::addColumn<QString>("reply");   // "Evet", "Hayir"; "-": no question box
        QTest::addColumn<bool>("asked");
        const QStringList none;
        const QString bash = "/usr/bin/bash";
        QTest::newRow("menu: bash, Evet") << false << bash << none << "Evet" << true;
        QTest::newRow("menu: bash, Hayir") << false << bash << none << "Hayir" << true;
        QTest::newRow("menu: python3.11, Hayir") << false << "/usr/bin/python3.11" << none << "Hayir" << true;
        QTest::newRow("menu: cmd.exe, Evet") << false << "C:\\Windows\\System32\\cmd.exe" << none << "Evet" << true;
        QTest::newRow("menu: listed shell, Hayir") << false << "/usr/bin/tmux" << QStringList{"/usr/bin/tmux"} << "Hayir"
                                                   << true;
        QTest::newRow("menu: tmux not listed") << false << "/usr/bin/tmux" << QStringList{"/bin/sh"} << "Hayir" << false;
        QTest::newRow("menu: sleep") << false << "/usr/bin/sleep" << none << "Hayir" << false;
        QTest::newRow("menu: bash, no question box") << false << bash << none << "-" << false;
        QTest::newRow("row: bash, Evet") << true << bash << none << "Evet" << true;
        QTest::newRow("row: bash, Hayir") << true << bash << none << "Hayir" << true;
        QTest::newRow("row: perl5.36.0, Hayir") << true << "/usr/bin/perl5.36.0" << none << "Hayir" << true;
        QTest::newRow("row: sleep") << true << "/usr/bin/sleep" << none << "Hayir" << false;
    }
    void interpreterQuestion()
    {
        QFETCH(bool, fromRow);
        QFETCH(QString, path);
        QFETCH(QStringList, shells);
        QFETCH(QString, reply);
        QFETCH(bool, asked);
        // Line ends of both kinds, a quoted entry, no line end at the end.
        const QByteArray before("/opt/a\r\n  \"/opt/c\"\n/opt/b");
        SetConf(before);
        const QDateTime written = QFileInfo("kvr.conf").lastModified();
        QStringList questions;
        QStringList messages;
        ZervaFixture::Pieces pieces{
            .processes = {MakeProcess(1, "a", "/opt/a"), MakeProcess(4, "x", path.toStdString())},
            .inputBox = [=](const QString&, const QString& text) { return fromRow ? text : path; },
            .messageBox = [&](const QString& text) { messages << text; },
            .questionBox = [&](const QString& text) { questions << text; return reply == "Evet"; },
            .listedShells = [=] {
                std::vector<std::string> listed;
                for (const QString& s : shells)
                    listed.push_back(s.toStdString());
                return listed;
            }};
        if (reply == "-")
            pieces.questionBox = nullptr;
        ZervaFixture z(std::move(pieces));
        z.window->Form_Load();
        if (fromRow) {
            z.window->show();
            const MenuChoice choice("mnGPE");
            ContextMenu(z.form(), "x", false);
            QCOMPARE(choice.items, kMenu);
        } else {
            z.window->GPE_Click();
        }
        QCOMPARE(questions.size(), asked ? 1 : 0);
        if (asked) {
            const QString& q = questions[0];
            QVERIFY2(q.startsWith(path + "\n"), qPrintable(q));
            QVERIFY2(q.contains("baska programlarin betiklerini calistirir"), qPrintable(q));
            QVERIFY2(q.contains("calistirdigi her betik de listeden gizlenir"), qPrintable(q));
            QVERIFY2(q.endsWith("Yine de eklensin mi?"), qPrintable(q));
            QVERIFY(Ascii(q));
        }
        QCOMPARE(messages, QStringList{});
        const bool added = asked ? reply == "Evet" : reply != "-";
        if (added) {
            QVERIFY2(ConfBytes().startsWith(path.toLower().toUtf8() + "\r\n"), ConfBytes().constData());
        } else {
            QCOMPARE(ConfBytes(), before);
            QCOMPARE(QFileInfo("kvr.conf").lastModified(), written);
        }
        z.window->form().cmdRefresh->click();
        QCOMPARE(ShownPaths(z.form()).contains(path), !added);
    }

    // The real question box, answered as a user would: the warning icon,
    // "Evet" and "Hayir" with "Hayir" the default, the program's title.
    void realQuestionBox_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::newRow("Evet") << "Evet";
        QTest::newRow("Hayir") << "Hayir";
    }
    void realQuestionBox()
    {
        QFETCH(QString, reply);
        SetConf("/opt/a\r\n");
        auto window = Window(nullptr, nullptr, nullptr, ZervaFixture::Pieces{.questionBox = QuestionBox});
        window->show();
        const InputBoxAnswer answer("/usr/bin/bash", true);
        const MessageBoxAnswer box(reply);
        window->GPE_Click();
        QTRY_VERIFY(!box.text.isNull());
        QCOMPARE(box.title, QStringLiteral("Zerva"));
        QCOMPARE(box.buttons, (QStringList{"Evet", "*Hayir"}));
        QVERIFY(box.warningIcon);
        QVERIFY2(box.text.startsWith("/usr/bin/bash\n") && box.text.endsWith("Yine de eklensin mi?"),
                 qPrintable(box.text));
        QCOMPARE(ConfBytes(), QByteArray(reply == "Evet" ? "/usr/bin/bash\r\n/opt/a\r\n" : "/opt/a\r\n"));
    }

    // "Guvenilir Programlar" draws an entry as the main list draws a path:
    // the same escapes, left-to-right isolation, and the warning icon with
    // its reasons (tooltip and accessible description, a line each) for a
    // look-alike entry and for an interpreter.
    void marksInTheWindow_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<QStringList>("shells");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("warnings");   // a word of each line
        const QStringList none;
        const QString interpreter = "Betik calistiran program";
        QTest::newRow("interpreter") << QByteArray("/usr/bin/bash") << none << "/usr/bin/bash" << QStringList{interpreter};
        QTest::newRow("versioned interpreter")
            << QByteArray("/usr/bin/python3.11") << none << "/usr/bin/python3.11" << QStringList{interpreter};
        QTest::newRow("listed shell") << QByteArray("/usr/bin/tmux") << QStringList{"/usr/bin/tmux"} << "/usr/bin/tmux"
                                      << QStringList{interpreter};
        QTest::newRow("look-alike") << QByteArray("/usr/bin/sl\u0435ep") << none
                                    << QString::fromUtf8("/usr/bin/sl\u0435ep") << QStringList{"Kiril"};
        QTest::newRow("look-alike folder, interpreter")
            << QByteArray("/opt/\u0441ache/bash") << none << QString::fromUtf8("/opt/\u0441ache/bash")
            << QStringList{"Kiril", interpreter};
        QTest::newRow("plain") << QByteArray("/usr/bin/sleep") << none << "/usr/bin/sleep" << none;
        QTest::newRow("direction mark, escaped")
            << QByteArray("/opt/\u200ex") << none << "/opt/\\xE2\\x80\\x8Ex" << none;
        QTest::newRow("no-break space, escaped")
            << QByteArray("/opt/sleep\u00a0") << none << "/opt/sleep\\xC2\\xA0" << none;
        QTest::newRow("right-to-left folders")
            << QByteArray("/opt/\u05d0/\u05d1/x") << none << QString::fromUtf8("/opt/\u05d0/\u05d1/x") << none;
    }
    void marksInTheWindow()
    {
        QFETCH(QByteArray, entry);
        QFETCH(QStringList, shells);
        QFETCH(QString, shown);
        QFETCH(QStringList, warnings);
        if (QSysInfo::productType() == QLatin1String("windows") && !IsAscii(entry))
            QSKIP("kvr.conf is in the ANSI code page on Windows: these bytes are UTF-8");
        SetConf(entry + "\r\n/opt/plain\r\n");
        ZervaFixture::Pieces pieces{.listedShells = [=] {
            std::vector<std::string> listed;
            for (const QString& s : shells)
                listed.push_back(s.toStdString());
            return listed;
        }};
        auto window = Window(nullptr, nullptr, nullptr, std::move(pieces));
        window->mnGuvenilirProgramlar_Click();
        GuvenilirProgramlar* trusted = window->guvenilirProgramlar();
        QVERIFY(trusted);
        QAbstractItemModel* model = trusted->lstGuvenilir()->model();
        QCOMPARE(model->rowCount(), 2);
        const QModelIndex item = model->index(0, 0);
        // Drawn in its own order; read out as it is escaped; an entry that
        // names no file says so after it.
        const QString note = QFileInfo::exists(QString::fromUtf8(entry)) ? QString() : QStringLiteral("   (dosya yok)");
        QCOMPARE(item.data(Qt::DisplayRole).toString(), LeftToRight(shown) + note);
        QCOMPARE(item.data(Qt::AccessibleTextRole).toString(), shown + note);
        QCOMPARE(!item.data(Qt::DecorationRole).value<QIcon>().isNull(), !warnings.isEmpty());
        const QString tip = item.data(Qt::ToolTipRole).toString();
        QCOMPARE(item.data(Qt::AccessibleDescriptionRole).toString(), tip);
        const QStringList lines = tip.isEmpty() ? QStringList{} : tip.split(u'\n');
        QCOMPARE(lines.size(), warnings.size());
        for (int i = 0; i < lines.size(); ++i) {
            QVERIFY2(lines[i].contains(warnings[i]), qPrintable(lines[i]));
            QString words = lines[i];
            for (const QString& part : shown.split(u'/'))
                words.remove(part);   // a look-alike's reason names it as shown
            QVERIFY2(Ascii(words), qPrintable(lines[i]));
        }
        // What a screen reader is told of the row.
        trusted->show();
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(trusted->lstGuvenilir());
        QVERIFY(list && list->tableInterface());
        QAccessibleInterface* cell = list->tableInterface()->cellAt(0, 0);
        QVERIFY(cell);
        QCOMPARE(cell->text(QAccessible::Description), tip);
        // The entry after it bears no mark.
        QVERIFY(model->index(1, 0).data(Qt::DecorationRole).isNull());
        QVERIFY(model->index(1, 0).data(Qt::ToolTipRole).isNull());
    }

    // The real message box, closed as a user would.
    void realMessageBox()
    {
        SetConf("/opt/a\r\n");
        QVERIFY(QFile::setPermissions("kvr.conf", QFileDevice::ReadOwner | QFileDevice::ReadUser));
        auto window = Window();
        window->show();
        const InputBoxAnswer answer("/opt/b", true);
        const MessageBoxAnswer box;
        window->GPE_Click();
        QTRY_VERIFY(!box.text.isNull());
        QCOMPARE(box.text, kNo + "kvr.conf salt okunur.");
        QCOMPARE(box.title, QStringLiteral("Zerva"));
        QCOMPARE(ConfBytes(), QByteArray("/opt/a\r\n"));
        QFile::setPermissions("kvr.conf", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    // A long answer reaches the add whole (a line edit keeps 32767
    // characters unless told otherwise), to be taken or refused, never cut.
    void inputBoxKeepsLongAnswers()
    {
        QString got;
        QTimer::singleShot(0, [] {
            QTimer* poll = new QTimer;
            QObject::connect(poll, &QTimer::timeout, [poll] {
                auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
                if (!box)
                    return;
                box->findChild<QLineEdit*>()->insert(QString(40'000, u'x'));   // as a paste does
                box->accept();
                poll->deleteLater();
            });
            poll->start(10);
        });
        got = InputBox(kPrompt);
        QCOMPARE(got.size(), 40'000);
    }

    // While another add holds the lock, the window goes on refreshing; the
    // add lands once the lock is free, or is told after the wait.
    void addWaitsForTheLock_data()
    {
        QTest::addColumn<int>("holdMs");
        QTest::addColumn<QString>("message");
        QTest::newRow("freed meanwhile") << 400 << QString();
        QTest::newRow("held past the wait") << 1500 << kNo + "kvr.conf baska bir ekleme icin kilitli.";
    }
    void addWaitsForTheLock()
    {
        QFETCH(int, holdMs);
        QFETCH(QString, message);
        SetConf("/opt/a\r\n");
        QStringList prompts;
        QStringList messages;
        QString answer = "/opt/b";
        FakeProcessSource* source = nullptr;
        auto window = Window(&prompts, &answer, &messages, ZervaFixture::Pieces{.intervalMs = 20, .addWaitMs = 1000},
                             &source);
        std::atomic<bool> holding = false;
        std::thread other([&] {
            RewriteConfFile("kvr.conf", 1 << 20, std::chrono::seconds(5), [&](const std::string& old) {
                holding = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
                return "/opt/c\r\n" + old;
            });
        });
        QTRY_VERIFY(holding);
        window->GPE_Click();   // returns at once
        QCOMPARE(window->pendingAdds(), QStringList{"/opt/b"});
        const int before = source->snapshots;
        QTRY_VERIFY(source->snapshots >= before + 3);
        QTRY_VERIFY_WITH_TIMEOUT(window->pendingAdds().isEmpty(), 5000);
        other.join();
        QCOMPARE(messages, message.isEmpty() ? QStringList{} : QStringList{message});
        QCOMPARE(ConfBytes(), QByteArray(message.isEmpty() ? "/opt/b\r\n/opt/c\r\n/opt/a\r\n" : "/opt/c\r\n/opt/a\r\n"));
    }

    // While an editor keeps saving kvr.conf (in place: truncate, then
    // write), an add waits with the window refreshing, then lands on the
    // editor's version or is told after the wait; the editor's save stays.
    void addWaitsForAnEditor_data()
    {
        QTest::addColumn<int>("saveMs");
        QTest::addColumn<QString>("message");
        QTest::newRow("done saving meanwhile") << 300 << QString();
        QTest::newRow("saving past the wait")
            << 3000 << kNo + "kvr.conf baska bir program tarafindan degistiriliyor.";
    }
    void addWaitsForAnEditor()
    {
        QFETCH(int, saveMs);
        QFETCH(QString, message);
        SetConf("/opt/a\r\n");
        QStringList prompts;
        QStringList messages;
        QString answer = "/opt/b";
        FakeProcessSource* source = nullptr;
        auto window = Window(&prompts, &answer, &messages, ZervaFixture::Pieces{.intervalMs = 20, .addWaitMs = 2000},
                             &source);
        std::atomic<bool> saving = true;
        std::thread editor([&] {
            const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(saveMs);
            for (int n = 0; std::chrono::steady_clock::now() < end && n < 1000; ++n) {
                QFile f("kvr.conf");
                if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                    f.write("/opt/e\r\n");
                f.close();
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            saving = false;
        });
        QTRY_VERIFY(ConfBytes() == "/opt/e\r\n");
        window->GPE_Click();
        QCOMPARE(window->pendingAdds(), QStringList{"/opt/b"});
        const int before = source->snapshots;
        QTRY_VERIFY(source->snapshots >= before + 3);
        QTRY_VERIFY_WITH_TIMEOUT(window->pendingAdds().isEmpty(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!saving, 5000);
        editor.join();
        QCOMPARE(messages, message.isEmpty() ? QStringList{} : QStringList{message});
        QCOMPARE(ConfBytes(), QByteArray(message.isEmpty() ? "/opt/b\r\n/opt/e\r\n" : "/opt/e\r\n"));
    }
};

QTEST_MAIN(TestZervaTrusted)
#include "test_zerva_trusted.moc"
