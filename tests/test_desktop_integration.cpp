// What a Linux desktop finds after `cmake --install`: the menu entry, the
// icon it names, the AppStream metainfo that points at the entry, and the
// program the entry starts. The names must agree across the files, and the
// freedesktop validators must accept them.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString AppId = QStringLiteral("org.example.zerva");
const QString SourceIcons = QStringLiteral(ZERVA_SOURCE_DIR "/resources/icons");

// The [Desktop Entry] group of a .desktop file, key -> value.
QMap<QString, QString> ReadDesktopEntry(const QString& path)
{
    QMap<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'['))
            inEntry = line == QStringLiteral("[Desktop Entry]");
        else if (inEntry && !line.startsWith(u'#') && line.contains(u'='))
            keys.insert(line.section(u'=', 0, 0).trimmed(), line.section(u'=', 1).trimmed());
    }
    return keys;
}

QString ReadText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The text of every <tag>...</tag> in an XML text.
QStringList Elements(const QString& xml, const QString& tag)
{
    QStringList found;
    const QRegularExpression re(QStringLiteral("<%1(?:\\s[^>]*)?>([^<]*)</%1>").arg(tag));
    for (auto it = re.globalMatch(xml); it.hasNext();)
        found << it.next().captured(1).trimmed();
    return found;
}

} // namespace

class TestDesktopIntegration : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_prefix;

    QString installed(const QString& relative) const { return m_prefix.filePath(relative); }
    QString desktopFile() const { return installed("share/applications/" + AppId + ".desktop"); }
    QString metainfoFile() const { return installed("share/metainfo/" + AppId + ".metainfo.xml"); }

private Q_SLOTS:
    void initTestCase()
    {
        if (!ZERVA_DESKTOP_INTEGRATION)
            QSKIP("no freedesktop integration on this platform");
        QVERIFY(m_prefix.isValid());
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(ZERVA_CMAKE_COMMAND),
                      {"--install", ZERVA_BUILD_DIR, "--prefix", m_prefix.path()});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitCode() == 0, install.readAll().constData());
    }

    void installedFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("needsSource");
        QTest::newRow("program") << "bin/zerva" << "";
        QTest::newRow("menu entry") << "share/applications/" + AppId + ".desktop" << "";
        QTest::newRow("metainfo") << "share/metainfo/" + AppId + ".metainfo.xml" << "";
        QTest::newRow("manual page") << "share/man/man1/zerva.1.gz" << "";
        QTest::newRow("copyright") << "share/doc/zerva/copyright" << "";
        QTest::newRow("changelog") << "share/doc/zerva/changelog.gz" << "";
        QTest::newRow("icon 32x32") << "share/icons/hicolor/32x32/apps/zerva.png" << "zerva.xpm";
        QTest::newRow("icon scalable") << "share/icons/hicolor/scalable/apps/zerva.svg" << "zerva.svg";
    }
    void installedFiles()
    {
        QFETCH(QString, path);
        QFETCH(QString, needsSource);
        if (!needsSource.isEmpty() && !QFile::exists(SourceIcons + '/' + needsSource))
            QSKIP("the icon has not been drawn in this tree");
        QVERIFY2(QFileInfo(installed(path)).isFile(), qPrintable(path));
        QVERIFY(QFileInfo(installed(path)).size() > 0);
    }

    // The entry starts the installed program by its bare name (found on
    // PATH) and names an icon that the hicolor theme holds.
    void execAndIconResolve()
    {
        const auto entry = ReadDesktopEntry(desktopFile());
        const QString program = entry.value("Exec").section(u' ', 0, 0);
        QVERIFY(QFileInfo(installed("bin/" + program)).isExecutable());

        const QString icon = entry.value("Icon");
        QVERIFY(!icon.isEmpty() && !icon.contains(u'/') && !icon.contains(u'.'));
        if (!QFile::exists(SourceIcons + "/zerva.xpm") && !QFile::exists(SourceIcons + "/zerva.svg"))
            QSKIP("the icon has not been drawn in this tree");
        const QStringList themed = QDir(installed("share/icons/hicolor"))
                                       .entryList({"*"}, QDir::Dirs | QDir::NoDotAndDotDot);
        bool found = false;
        for (const QString& size : themed)
            found = found || !QDir(installed("share/icons/hicolor/" + size + "/apps"))
                                   .entryList({icon + ".png", icon + ".svg"}).isEmpty();
        QVERIFY2(found, qPrintable(icon));
    }

    void metainfoPointsAtEntry()
    {
        const QString xml = ReadText(metainfoFile());
        QCOMPARE(Elements(xml, "id"), QStringList{AppId});
        QCOMPARE(Elements(xml, "launchable"), QStringList{AppId + ".desktop"});
        QCOMPARE(Elements(xml, "binary"), QStringList{"zerva"});
        // The release listed matches the version that is built.
        QVERIFY2(xml.contains(QStringLiteral("<release version=\"" ZERVA_VERSION "\"")), ZERVA_VERSION);
    }

    // The PNG in the theme is the drawn icon, pixel for pixel, transparency
    // included, at exactly the size its folder promises.
    void pngIsTheDrawnIcon()
    {
        const QString xpm = SourceIcons + "/zerva.xpm";
        if (!QFile::exists(xpm))
            QSKIP("the icon has not been drawn in this tree");
        const QImage png(installed("share/icons/hicolor/32x32/apps/zerva.png"));
        QCOMPARE(png.size(), QSize(32, 32));
        QVERIFY(png.hasAlphaChannel());
        const QImage drawn = QImage(xpm).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(png.convertToFormat(QImage::Format_ARGB32), drawn);
    }

    void validators_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("file");
        // Findings that count as faults here, though the tool may pass them.
        QTest::addColumn<QString>("faults");
        QTest::newRow("desktop-file-validate") << "desktop-file-validate" << QStringList{} << "desktop"
                                               << ": (error|warning|hint): ";
        QTest::newRow("appstreamcli") << "appstreamcli" << QStringList{"validate", "--no-net"} << "metainfo"
                                      << "^[EW]: ";
    }
    void validators()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, args);
        QFETCH(QString, file);
        QFETCH(QString, faults);
        const QString program = QStandardPaths::findExecutable(tool);
        if (program.isEmpty())
            QSKIP("validator not installed");
        QProcess run;
        run.setProcessChannelMode(QProcess::MergedChannels);
        run.start(program, args << (file == "desktop" ? desktopFile() : metainfoFile()));
        QVERIFY(run.waitForFinished(60000));
        const QByteArray out = run.readAll();
        QVERIFY2(run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0, out.constData());
        const QRegularExpression fault(faults, QRegularExpression::MultilineOption);
        QVERIFY2(!fault.match(QString::fromUtf8(out)).hasMatch(), out.constData());
    }
};

QTEST_MAIN(TestDesktopIntegration)
#include "test_desktop_integration.moc"
