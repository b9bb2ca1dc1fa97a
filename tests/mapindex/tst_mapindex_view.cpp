#include "mapindex_fixture.h"

#include "view_settings.h"

#include "ErrorReport.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTableView>

using mapindex::IndexRow;
using mitest::Session;

namespace {

// Drags the right edge of a column's header by dx, as the user sizes it.
void dragColumnEdge(QHeaderView *header, int column, int dx)
{
    const QPoint edge(header->sectionViewportPosition(column) + header->sectionSize(column) - 1, header->height() / 2);
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, edge);
    QTest::mouseMove(header->viewport(), edge + QPoint(dx, 0));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, edge + QPoint(dx, 0));
}

IndexRow namedRow(const std::string &entry, const std::string &name, const std::string &folder = {})
{
    IndexRow row;
    row.fileName = entry + ".fcw";
    row.entry = entry;
    row.folder = folder;
    row.values[0] = name;
    return row;
}

} // namespace

class TestMapIndexView final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void viewIsKeptAcrossWindows();
    void columnsFollowTheRows();
    void sortByFromTheMenuAndKeys();
    void restoredWindowFitsTheScreen();
    void sortsInTheUsersLanguage_data();
    void sortsInTheUsersLanguage();
    void foldersOpenFromTheWindow();
    void emptyFolderSaysSo();
    void filterMatchingNothingSaysSo();
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
    int sized = 0;
    {
        Session first(maps);
        first.read();
        auto *table = first.window.findChild<QTableView *>(QStringLiteral("table"));
        table->sortByColumn(4, Qt::DescendingOrder);
        QHeaderView *header = table->horizontalHeader();
        QVERIFY(header->sectionsMovable());
        header->moveSection(header->visualIndex(2), 0);
        first.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&first.window));
        dragColumnEdge(header, 1, 37);
        sized = header->sectionSize(1);
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
    QCOMPARE(header->sectionSize(1), sized); // sized by the user: not fitted to the rows again
    QCOMPARE(second.window.size(), QSize(700, 500));
    QCOMPARE(second.column(0), sorted);

    // A relative XDG_CONFIG_HOME is not a place to write to.
    const QByteArray kept = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "relative");
    QVERIFY(mapindex::SettingsFilePath().startsWith(QDir::homePath() + QStringLiteral("/.config/")));
    qputenv("XDG_CONFIG_HOME", kept);
}

void TestMapIndexView::columnsFollowTheRows()
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(uitest::makeTempDir())); // no columns sized before
    const QString longName(36, u'W');
    int fitted = 0;
    {
        mapindex::IndexWindow window;
        auto *table = window.findChild<QTableView *>(QStringLiteral("table"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.model().setRows({namedRow("a", "short", "f")});
        const int shortWidth = table->columnWidth(mapindex::MapNameColumn);
        window.model().setRows({namedRow("a", "short"), namedRow("b", longName.toStdString())});
        fitted = table->columnWidth(mapindex::MapNameColumn);
        QVERIFY(fitted > shortWidth + 100);
        // A column that appears is fitted to its texts, not left at the default width.
        table->setColumnHidden(mapindex::FolderColumn, false);
        QVERIFY(table->columnWidth(mapindex::FolderColumn) < table->horizontalHeader()->defaultSectionSize());

        dragColumnEdge(table->horizontalHeader(), mapindex::MapNameColumn, -20);
        fitted -= 20;
        QCOMPARE(table->columnWidth(mapindex::MapNameColumn), fitted);
        window.model().setRows({namedRow("c", "short")});
        QCOMPARE(table->columnWidth(mapindex::MapNameColumn), fitted);
        window.close();
    }
    // Sized once, kept so in the next window.
    mapindex::IndexWindow window;
    window.model().setRows({namedRow("c", "short")});
    QCOMPARE(window.findChild<QTableView *>(QStringLiteral("table"))->columnWidth(mapindex::MapNameColumn), fitted);
}

void TestMapIndexView::restoredWindowFitsTheScreen()
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(uitest::makeTempDir()));
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    {
        // Left on a larger screen, as 1920×1080 is to 1280×720.
        QWidget larger;
        larger.setGeometry(available.x() + 40, available.y() + 30, available.width() * 3 / 2,
                           available.height() * 3 / 2);
        QSettings(mapindex::SettingsFilePath(), QSettings::IniFormat)
            .setValue(QStringLiteral("view/window"), larger.saveGeometry());
    }
    mapindex::IndexWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(available.contains(window.frameGeometry()));
    const QWidget *status = window.statusBar();
    QVERIFY(available.contains(QRect(status->mapToGlobal(QPoint(0, 0)), status->size())));
}

void TestMapIndexView::sortByFromTheMenuAndKeys()
{
    Session session{QString()};
    session.model().setRows({namedRow("b", "x"), namedRow("c", "z"), namedRow("a", "y")});
    session.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&session.window));
    auto *filter = session.window.findChild<QLineEdit *>(QStringLiteral("filter"));
    filter->setFocus();
    QTest::keyClick(filter, Qt::Key_2, Qt::ControlModifier); // from the filter field too
    QCOMPARE(session.column(0).join(u' '), QStringLiteral("b a c"));
    QTest::keyClick(filter, Qt::Key_2, Qt::ControlModifier); // again: the other way
    QCOMPARE(session.column(0).join(u' '), QStringLiteral("c a b"));
    QVERIFY(session.window.findChild<QAction *>(QStringLiteral("sortDescending"))->isChecked());
    QTest::keyClick(filter, Qt::Key_1, Qt::ControlModifier);
    QVERIFY(session.window.findChild<QAction *>(QStringLiteral("sortBy0"))->isChecked());
    session.window.findChild<QAction *>(QStringLiteral("sortDescending"))->trigger();
    QCOMPARE(session.column(0).join(u' '), QStringLiteral("c b a"));
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
    // Where assistive technology looks: the table's own description.
    QAccessibleInterface *table =
        QAccessible::queryAccessibleInterface(session.window.findChild<QTableView *>(QStringLiteral("table")));
    QVERIFY(table);
    QCOMPARE(table->text(QAccessible::Description), placeholder->text());
}

void TestMapIndexView::filterMatchingNothingSaysSo()
{
    Session session(mitest::makeDemoMaps());
    session.read();
    const auto *placeholder = session.window.findChild<QLabel *>(QStringLiteral("placeholder"));
    auto *filter = session.window.findChild<QLineEdit *>(QStringLiteral("filter"));
    auto *table = session.window.findChild<QTableView *>(QStringLiteral("table"));
    filter->setText(QStringLiteral("product:\"<b>no such\""));
    QVERIFY(!placeholder->isHidden());
    QCOMPARE(placeholder->text(), QStringLiteral("No maps match the filter:\nproduct:\"<b>no such\""));
    QCOMPARE(placeholder->textFormat(), Qt::PlainText);
    QCOMPARE(table->accessibleDescription(), placeholder->text());
    placeholder->findChild<QPushButton *>(QStringLiteral("placeholderOffer"))->click();
    QCOMPARE(filter->text(), QString());
    QVERIFY(placeholder->isHidden());
    QCOMPARE(table->accessibleDescription(), QString());
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
    QCOMPARE(counted.window.findChild<QLabel *>(QStringLiteral("status"))->text(),
             QStringLiteral("1,000 of 1,000 maps"));
}

void TestMapIndexView::exportSaysWhatItWrote()
{
    const QString maps = mitest::makeDemoMaps();
    QVERIFY(QDir(maps).mkdir(QStringLiteral("Broken.fcw"))); // listed, but cannot be read
    Session session(maps);
    session.read();
    const QString out = uitest::makeTempDir() + QStringLiteral("/out.csv");
    QString suggested;
    session.window.setExportPicker([&](QWidget *, const QString &start, int) {
        suggested = start;
        return std::optional(mapindex::ExportChoice{out});
    });
    session.window.findChild<QAction *>(QStringLiteral("export"))->trigger();
    QVERIFY(!suggested.startsWith(maps));
    QCOMPARE(session.window.statusBar()->currentMessage(),
             QStringLiteral("12 rows written to %1; 1 unreadable map left out").arg(out));
    // The next export starts where this one went.
    session.window.findChild<QAction *>(QStringLiteral("export"))->trigger();
    QCOMPARE(suggested, QFileInfo(out).path() + QStringLiteral("/maps.csv"));
}

QTEST_MAIN(TestMapIndexView)
#include "tst_mapindex_view.moc"
