#include "mapindex_fixture.h"

#include "view_settings.h"

#include "ErrorReport.h"

#include <QAction>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QTableView>

using mapindex::IndexRow;
using mitest::Session;

class TestMapIndexView final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void viewIsKeptAcrossWindows();
    void sortsInTheUsersLanguage_data();
    void sortsInTheUsersLanguage();
    void foldersOpenFromTheWindow();
    void emptyFolderSaysSo();
    void firstReadingCountsInTheStatusBar();
    void exportSaysWhatItWrote();
};

void TestMapIndexView::initTestCase()
{
    qputenv("XDG_CACHE_HOME", QFile::encodeName(uitest::makeTempDir()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(uitest::makeTempDir()));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ui::SetMessageRecorder([](const ui::ShownMessage &message) { qWarning() << "box:" << message.text; });
}

void TestMapIndexView::viewIsKeptAcrossWindows()
{
    const QString maps = mitest::makeDemoMaps();
    QStringList sorted;
    {
        Session first(maps);
        first.read();
        auto *table = first.window.findChild<QTableView *>(QStringLiteral("table"));
        table->sortByColumn(4, Qt::DescendingOrder);
        table->horizontalHeader()->moveSection(2, 0);
        table->setColumnWidth(1, 211);
        first.window.resize(700, 500);
        sorted = first.column(0);
        first.window.close();
    }
    QVERIFY(QFile::exists(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/map-utility/map-index.conf")));

    Session second(maps); // no --dir needed: the last folder is kept too
    QCOMPARE(mapindex::RecentFolders().front(), mitest::bytes(maps));
    second.read();
    const QHeaderView *header = second.window.findChild<QTableView *>(QStringLiteral("table"))->horizontalHeader();
    QCOMPARE(header->sortIndicatorSection(), 4);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(header->visualIndex(2), 0);
    QCOMPARE(header->sectionSize(1), 211);
    QCOMPARE(second.window.size(), QSize(700, 500));
    QCOMPARE(second.column(0), sorted);

    // A relative XDG_CONFIG_HOME is not a place to write to.
    const QByteArray kept = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "relative");
    QVERIFY(mapindex::SettingsFilePath().startsWith(QDir::homePath() + QStringLiteral("/.config/")));
    qputenv("XDG_CONFIG_HOME", kept);
}

void TestMapIndexView::sortsInTheUsersLanguage_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("shown"); // column 0, space-separated
    QTest::newRow("accents and case only break ties") << 1 << QStringLiteral("apple Århus Avon Zeta");
    QTest::newRow("page texts with numbers in them") << 4 << QStringLiteral("Avon Zeta apple Århus");
}

void TestMapIndexView::sortsInTheUsersLanguage()
{
    QFETCH(int, column);
    QFETCH(QString, shown);
    const auto row = [](const char *entry, const char *name, const char *page) {
        IndexRow r;
        r.entry = entry;
        r.fileName = r.entry + ".fcw";
        r.values = {name, {}, {}, page};
        return r;
    };
    // Names and pages as the maps hold them: Windows-1252.
    mapindex::IndexModel model;
    const QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setRows({row("Zeta", "Zeta", "10"), row("\xc5rhus", "\xc5rhus", "p10"), row("apple", "apple", "p2"),
                   row("Avon", "Avon", "3")});
    model.sort(column, Qt::AscendingOrder);
    QStringList entries;
    for (int r = 0; r < model.rowCount(); ++r)
        entries << model.index(r, 0).data().toString();
    QCOMPARE(entries.join(u' '), shown);
    QCOMPARE(model.index(0, 4).data(Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::AlignRight | Qt::AlignVCenter);
}

void TestMapIndexView::foldersOpenFromTheWindow()
{
    mapindex::IndexWindow window;
    const auto action = [&](const char *name) { return window.findChild<QAction *>(QString::fromLatin1(name)); };
    // Nothing to act on before a folder is open.
    for (const char *name : {"export", "copy", "changes", "reload"})
        QVERIFY2(!action(name)->isEnabled(), name);

    const QString maps = mitest::makeDemoMaps();
    window.setFolderPicker([&](QWidget *, const std::string &) { return std::optional(mitest::bytes(maps)); });
    QSignalSpy done(&window, &mapindex::IndexWindow::readingFinished);
    QCOMPARE(action("openFolder")->shortcut(), QKeySequence(QKeySequence::Open));
    action("openFolder")->trigger();
    QVERIFY(done.wait(30000));
    QCOMPARE(window.model().totalCount(), 12);
    for (const char *name : {"export", "copy", "changes", "reload"})
        QVERIFY2(action(name)->isEnabled(), name);
    QCOMPARE(mapindex::RecentFolders().front(), mitest::bytes(maps));

    // The recent list: latest first, no repeats, at most eight.
    std::vector<std::string> recent;
    for (const char *folder : {"/a", "/b", "/a", "/c", "/d", "/e", "/f", "/g", "/h", "/i"})
        recent = mapindex::WithRecentFolder(recent, folder);
    QCOMPARE(recent, (std::vector<std::string>{"/i", "/h", "/g", "/f", "/e", "/d", "/c", "/a"}));
}

void TestMapIndexView::emptyFolderSaysSo()
{
    const QString empty = uitest::makeTempDir();
    Session session(empty);
    session.read();
    const auto *placeholder = session.window.findChild<QLabel *>(QStringLiteral("placeholder"));
    QVERIFY(!placeholder->isHidden());
    QCOMPARE(placeholder->text(), QStringLiteral("No *.fcw maps in ") + empty);
}

void TestMapIndexView::firstReadingCountsInTheStatusBar()
{
    Session session(mitest::makeDemoMaps());
    QSignalSpy done(&session.window, &mapindex::IndexWindow::readingFinished);
    session.window.open(session.state);
    emit session.window.loader().progress(5120, 20000);
    QCOMPARE(session.window.findChild<QLabel *>(QStringLiteral("status"))->text(),
             QStringLiteral("Reading 5,120 of 20,000 maps"));
    QVERIFY(done.wait(30000));

    const QString many = uitest::makeTempDir();
    for (int i = 0; i < 1000; ++i)
        uitest::writeFile(many + QStringLiteral("/m%1.fcw").arg(i), QByteArrayLiteral("Map Name: M\r"));
    Session counted(many);
    counted.read();
    QCOMPARE(counted.window.findChild<QLabel *>(QStringLiteral("status"))->text(), QStringLiteral("1,000 of 1,000 maps"));
}

void TestMapIndexView::exportSaysWhatItWrote()
{
    const QString maps = mitest::makeDemoMaps();
    QVERIFY(QDir(maps).mkdir(QStringLiteral("Broken.fcw"))); // listed, but cannot be read
    Session session(maps);
    session.read();
    const QString out = uitest::makeTempDir() + QStringLiteral("/out.csv");
    QString suggested;
    session.window.setExportPicker([&](QWidget *, const QString &start) {
        suggested = start;
        return std::optional(out);
    });
    session.window.findChild<QAction *>(QStringLiteral("export"))->trigger();
    QVERIFY(!suggested.startsWith(maps));
    QCOMPARE(session.window.statusBar()->currentMessage(),
             QStringLiteral("12 rows written to %1; 1 unreadable maps left out").arg(out));
    // The next export starts where this one went.
    session.window.findChild<QAction *>(QStringLiteral("export"))->trigger();
    QCOMPARE(suggested, QFileInfo(out).path() + QStringLiteral("/maps.csv"));
}

QTEST_MAIN(TestMapIndexView)
#include "tst_mapindex_view.moc"
