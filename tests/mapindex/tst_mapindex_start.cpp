#include "index_cache.h"
#include "options.h"
#include "start_folder.h"
#include "ui_test_support.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestMapIndexStart final : public QObject {
    Q_OBJECT

private slots:
    void readsOptions_data();
    void readsOptions();
    void mapsFolderIsMadeAbsolute();
    void withoutListerTxtSaysSo();
    void relativeXdgFoldersAreIgnored();
};

void TestMapIndexStart::readsOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("dir"); // "-" for none
    QTest::addColumn<bool>("configDir");
    QTest::addColumn<bool>("usageError");
    const auto args = [](const char *text) { return QString::fromUtf8(text).split(u' '); };
    QTest::newRow("nothing") << args("map-index") << QStringLiteral("-") << false << false;
    QTest::newRow("--dir with a space") << (args("map-index --dir") << QStringLiteral("my maps"))
                                        << QStringLiteral("my maps") << false << false;
    QTest::newRow("--dir=DIR and --config-dir")
        << args("map-index --dir=/m --config-dir") << QStringLiteral("/m") << true << false;
    QTest::newRow("-d DIR") << args("map-index -d /m") << QStringLiteral("/m") << false << false;
    QTest::newRow("Qt's own option") << args("map-index -platform offscreen") << QStringLiteral("-") << false << false;
    QTest::newRow("unknown option") << args("map-index --bogus") << QStringLiteral("-") << false << true;
    QTest::newRow("an operand") << args("map-index maps") << QStringLiteral("-") << false << true;
    QTest::newRow("--dir without its folder") << args("map-index --dir") << QStringLiteral("-") << false << true;
}

void TestMapIndexStart::readsOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, dir);
    QFETCH(bool, configDir);
    QFETCH(bool, usageError);
    std::vector<std::string> argv;
    for (const QString &argument : arguments)
        argv.push_back(argument.toStdString());
    const mapindex::Options options = mapindex::ParseOptions(argv);
    QCOMPARE(!options.usageError.empty(), usageError);
    if (usageError)
        return;
    QCOMPARE(options.mapsDir.value_or("-"), dir.toStdString());
    QCOMPARE(options.configDir, configDir);
}

void TestMapIndexStart::mapsFolderIsMadeAbsolute()
{
    const QString start = uitest::makeTempDir();
    QVERIFY(QDir::setCurrent(start));
    QFile lister(start + QStringLiteral("/lister.txt"));
    QVERIFY(lister.open(QIODevice::WriteOnly));
    lister.write("maps\r\n/usr/bin/viewer\r\n");
    lister.close();

    mapindex::Options fromLister;
    const mapindex::StartFolder a = mapindex::ResolveStartFolder(fromLister);
    QCOMPARE(a.state.MapsDirectory, QFile::encodeName(start).toStdString() + "/maps");
    QCOMPARE(a.state.ViewerPath, std::string("/usr/bin/viewer"));

    mapindex::Options fromDir;
    fromDir.mapsDir = "other";
    const mapindex::StartFolder b = mapindex::ResolveStartFolder(fromDir);
    QCOMPARE(b.state.MapsDirectory, QFile::encodeName(start).toStdString() + "/other");
    QCOMPARE(b.state.ViewerPath, std::string("/usr/bin/viewer"));
}

void TestMapIndexStart::withoutListerTxtSaysSo()
{
    QVERIFY(QDir::setCurrent(uitest::makeTempDir()));
    const mapindex::StartFolder start = mapindex::ResolveStartFolder({});
    QVERIFY(start.state.MapsDirectory.empty());
    QVERIFY(!start.listerFound);
    // The window asks for a folder: no sending the user back to the command line.
    QVERIFY(start.notConfigured.find("lister.txt") != std::string::npos);
    QVERIFY(start.notConfigured.find("--dir") == std::string::npos);
}

void TestMapIndexStart::relativeXdgFoldersAreIgnored()
{
    // Relative, they would name folders in the current one (the maps folder, say).
    const QString home = uitest::makeTempDir();
    QVERIFY(QDir::setCurrent(uitest::makeTempDir()));
    const QString current = QDir::currentPath();
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_CACHE_HOME", "xdg");
    qputenv("XDG_CONFIG_HOME", "./xdg");
    QVERIFY(mapindex::CacheFilePath("/maps").startsWith(home + QStringLiteral("/.cache/map-utility/")));
    mapindex::Options configDir;
    configDir.configDir = true;
    QCOMPARE(QString::fromStdString(mapindex::ResolveStartFolder(configDir).state.StartDirectory),
             home + QStringLiteral("/.config/map-utility"));
    QCOMPARE(QDir::currentPath(), current); // held open, not entered
}

QTEST_MAIN(TestMapIndexStart)
#include "tst_mapindex_start.moc"
