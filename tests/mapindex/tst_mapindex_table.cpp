#include "mapindex_fixture.h"

#include "ErrorReport.h"
#include "row_export.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableView>
#include <QTimer>

#include <cstdio>
#include <fstream>

using mapindex::IndexRow;
using mitest::Session;

namespace {

using Values = std::array<std::optional<std::string>, 4>;

IndexRow row(const std::string &entry, Values values)
{
    IndexRow r;
    r.fileName = entry + ".fcw";
    r.entry = entry;
    r.values = std::move(values);
    return r;
}

QString shownEntries(const mapindex::IndexModel &model)
{
    QStringList shown;
    for (int r = 0; r < model.rowCount(); ++r)
        shown << model.index(r, 0).data().toString();
    return shown.join(u' ');
}

// A stand-in viewer that writes its arguments, one per line, to record.
QString writeRecordingViewer(const QString &record)
{
    const QString viewer = uitest::makeTempDir() + QStringLiteral("/viewer.sh");
    mitest::writeFile(viewer, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + QFile::encodeName(record) + "'\n");
    QFile::setPermissions(viewer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return viewer;
}

} // namespace

class TestMapIndexTable final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void rowsShowTheMapsDetails();
    void sortsByColumn_data();
    void sortsByColumn();
    void filterKeepsRowsHoldingEveryWord_data();
    void filterKeepsRowsHoldingEveryWord();
    void rowsArrivingUnderFilterAreFiltered();
    void exportWritesShownRowsInShownOrder();
    void exportAsksAboutTheNameItWrites();
    void exportWritesOnlySelectedRowsWhenAsked();
    void copyPutsSelectedRowsOnClipboard();
    void enterAndDoubleClickOpenTheMap();
    void keyboardFocusesAndClearsFilter();
    void renderWindow();
};

void TestMapIndexTable::initTestCase()
{
    qputenv("XDG_CACHE_HOME", QFile::encodeName(uitest::makeTempDir()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(uitest::makeTempDir())); // no view kept from the user's own
    ui::SetMessageRecorder([](const ui::ShownMessage &message) { qWarning() << "box:" << message.text; });
}

void TestMapIndexTable::cleanup()
{
    uitest::closeAllModals();
}

void TestMapIndexTable::rowsShowTheMapsDetails()
{
    // The demo maps and one written in Windows-1252, name and values alike.
    const QString maps = mitest::makeDemoMaps();
    {
        const std::string content = "\1Map Name: Caf\xe9 \x80 5\r\nPage Number:\t 9\r\n";
        std::ofstream(mitest::bytes(maps) + "/Caf\xe9.fcw", std::ios::binary) << content;
    }
    Session session(maps);
    session.read();
    QCOMPARE(session.window.findChild<QLabel *>(QStringLiteral("status"))->text(), QStringLiteral("13 of 13 maps"));

    const QString written = uitest::makeTempDir() + QStringLiteral("/index.tsv");
    QCOMPARE(
        uitest::runTool(qEnvironmentVariable("MAP_CATALOGUE"),
                        {QStringLiteral("--dir"), maps, QStringLiteral("index"), QStringLiteral("--output"), written})
            .exitCode,
        0);
    QList<QByteArray> lines = mitest::readFile(written).split('\n');
    QCOMPARE(lines.takeLast(), QByteArray());
    lines.removeFirst(); // the header
    QCOMPARE(lines.size(), session.model().rowCount());
    for (int r = 0; r < lines.size(); ++r) {
        const QList<QByteArray> fields = lines[r].split('\t');
        for (int c = 0; c < 5; ++c)
            QCOMPARE(session.model().index(r, c).data().toString(), QString::fromUtf8(fields[c]));
    }
    QCOMPARE(session.model().index(session.rowOf(QStringLiteral("Caf\u00e9")), 1).data().toString(),
             QStringLiteral("Caf\u00e9 \u20ac 5"));
    std::remove((mitest::bytes(maps) + "/Caf\xe9.fcw").c_str()); // a name QDir cannot remove
}

void TestMapIndexTable::sortsByColumn_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("entries"); // shown entries, space-separated
    // Pages: "10", "2", "", "beta", "Alpha", "007", none; names in mixed case.
    QTest::newRow("pages as numbers, then text, then empty")
        << 4 << int(Qt::AscendingOrder) << QStringLiteral("b f a e d c g");
    QTest::newRow("pages descending") << 4 << int(Qt::DescendingOrder) << QStringLiteral("c g d e a f b");
    QTest::newRow("names upper-cased, ties by bytes")
        << 1 << int(Qt::AscendingOrder) << QStringLiteral("c e g a b d f");
    QTest::newRow("files with their folders") << 6 << int(Qt::AscendingOrder) << QStringLiteral("c d e f g b a");
}

void TestMapIndexTable::sortsByColumn()
{
    QFETCH(int, column);
    QFETCH(int, order);
    QFETCH(QString, entries);
    mapindex::IndexModel model;
    const QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    std::vector<IndexRow> rows = {
        row("a", {"banana", {}, {}, "10"}),   row("b", {"Cherry", {}, {}, "2"}),    row("c", {"", {}, {}, ""}),
        row("d", {"cherry", {}, {}, "beta"}), row("e", {"Apple", {}, {}, "Alpha"}), row("f", {"date", {}, {}, "007"}),
        row("g", {"apple", {}, {}, {}}),
    };
    rows[0].fileName = "zz.fcw";
    rows[1].folder = "sub";
    model.setRows(rows);
    model.sort(column, Qt::SortOrder(order));
    QCOMPARE(shownEntries(model), entries);
}

void TestMapIndexTable::filterKeepsRowsHoldingEveryWord_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("entries"); // shown entries, space-separated
    QTest::newRow("nothing typed") << QString() << QStringLiteral("k1 k2 c c4");
    QTest::newRow("accent folded") << QStringLiteral("koln") << QStringLiteral("k1 k2");
    QTest::newRow("typed accent and case") << QStringLiteral("KÖLN harbour") << QStringLiteral("k1");
    QTest::newRow("words in different columns") << QStringLiteral("dungeon  koln") << QStringLiteral("k2");
    QTest::newRow("every word must match") << QStringLiteral("castle koln") << QString();
    QTest::newRow("decomposed input") << QStringLiteral("cafe\u0301 royal") << QStringLiteral("c4");
    QTest::newRow("page number column") << QStringLiteral("cafe 44") << QStringLiteral("c4");
    QTest::newRow("phrase") << QStringLiteral("\"koln r\"") << QStringLiteral("k2");
    QTest::newRow("phrase never spans columns") << QStringLiteral("\"dungeon atlas\"") << QString();
    QTest::newRow("unclosed quote, qualified") << QStringLiteral("name:\"köln h") << QStringLiteral("k1");
    QTest::newRow("qualifier looks in its column only") << QStringLiteral("map:c") << QStringLiteral("c c4");
    QTest::newRow("qualifier in capitals") << QStringLiteral("TYPE:CITY") << QStringLiteral("k1 c4");
    QTest::newRow("file") << QStringLiteral("file:k") << QStringLiteral("k1 k2");
    QTest::newRow("excluded word") << QStringLiteral("-dungeon") << QStringLiteral("k1 c4");
    QTest::newRow("excluded qualifier") << QStringLiteral("koln -type:city") << QStringLiteral("k2");
    QTest::newRow("excluded phrase") << QStringLiteral("-\"koln h\"") << QStringLiteral("k2 c c4");
    QTest::newRow("unknown qualifier is a word") << QStringLiteral("harbour:") << QString();
    QTest::newRow("qualifier alone asks nothing yet")
        << QStringLiteral("product: \"\"") << QStringLiteral("k1 k2 c c4");
}

void TestMapIndexTable::filterKeepsRowsHoldingEveryWord()
{
    QFETCH(QString, typed);
    QFETCH(QString, entries);
    mapindex::IndexModel model;
    const QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setRows({row("k1", {"K\xf6ln Harbour", "City", {}, "1"}), row("k2", {"Koln Ruins", "Dungeon", {}, "2"}),
                   row("c", {"Castle", "Dungeon", "Atlas", "3"}), row("c4", {"Caf\xe9 Royal", "City", {}, "44"})});
    model.setFilterText(typed);
    QCOMPARE(shownEntries(model), entries);
}

void TestMapIndexTable::rowsArrivingUnderFilterAreFiltered()
{
    // Rows set before their filter texts exist: the first ones, then readings replacing them.
    mapindex::IndexModel model;
    const QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setFilterText(QStringLiteral("koln"));
    model.setRows({row("k1", {"K\xf6ln", {}, {}, {}}), row("c", {"Castle", {}, {}, {}})});
    QCOMPARE(shownEntries(model), QStringLiteral("k1"));
    model.setRows({row("a", {}), row("k2", {std::nullopt, "KOLN", {}, {}})});
    model.setRows({row("b", {}), row("c", {}), row("k3", {"koln", {}, {}, {}})});
    QCOMPARE(shownEntries(model), QStringLiteral("k3"));
    // Cached rows shown before their texts are asked for, while the last job holds other rows' texts.
    model.setRows(std::make_shared<const std::vector<IndexRow>>(
                      std::vector{row("k4", {"K\xf6ln", {}, {}, {}}), row("d", {}), row("e", {})}),
                  true);
    QCOMPARE(shownEntries(model), QStringLiteral("k4"));
}

void TestMapIndexTable::exportWritesShownRowsInShownOrder()
{
    const QString maps = mitest::makeDemoMaps();
    Session session(maps);
    session.read();
    const QString dir = uitest::makeTempDir();
    const auto exportTo = [&](const QString &name) {
        session.window.setExportPicker(
            [&](QWidget *, const QString &, int) { return std::optional(mapindex::ExportChoice{dir + u'/' + name}); });
        session.window.findChild<QAction *>(QStringLiteral("export"))->trigger();
        return mitest::readFile(dir + u'/' + name);
    };

    // Every row in listing order: what the index command writes to a file, when it shows its columns.
    QAction *fileColumn = session.window.findChild<QAction *>(QStringLiteral("showColumn%1").arg(mapindex::FileColumn));
    fileColumn->trigger();
    uitest::runTool(qEnvironmentVariable("MAP_CATALOGUE"),
                    {QStringLiteral("--dir"), maps, QStringLiteral("index"), QStringLiteral("--format"),
                     QStringLiteral("tsv"), QStringLiteral("--output"), dir + QStringLiteral("/index.tsv")});
    QCOMPARE(exportTo(QStringLiteral("all.tsv")), mitest::readFile(dir + QStringLiteral("/index.tsv")));

    session.window.findChild<QLineEdit *>(QStringLiteral("filter"))->setText(QStringLiteral("city"));
    session.window.findChild<QTableView *>(QStringLiteral("table"))->sortByColumn(4, Qt::DescendingOrder);
    QCOMPARE(exportTo(QStringLiteral("shown.csv")),
             QByteArray("entry,map name,map type,product,page number\r\n"
                        "harbour2,Harbour Docks,City,Coastal Pack,5\r\n"
                        "Old Harbour,Old Harbour,City,Thalmarch Atlas,4\r\n"
                        "Harbour,Harbour District,City,Thalmarch Atlas,3\r\n"));
    QCOMPARE(exportTo(QStringLiteral("shown.tsv")).split('\n').at(1),
             QByteArray("harbour2\tHarbour Docks\tCity\tCoastal Pack\t5"));
    // The file, shown again, comes last.
    fileColumn->trigger();
    QCOMPARE(exportTo(QStringLiteral("shown.tsv")).split('\n').mid(0, 2),
             QList<QByteArray>({"entry\tmap name\tmap type\tproduct\tpage number\tfile",
                                "harbour2\tHarbour Docks\tCity\tCoastal Pack\t5\tharbour2.fcw"}));
}

void TestMapIndexTable::exportAsksAboutTheNameItWrites()
{
    // "budget" typed with CSV chosen writes budget.csv: the question must name that file.
    Session session(mitest::makeDemoMaps());
    session.read();
    const QString budget = uitest::makeTempDir() + QStringLiteral("/budget.csv");
    mitest::writeFile(budget, "keep me");
    for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
        QString asked;
        uitest::whenModal(QStringLiteral("exportDialog"), [&](QWidget *dialog) {
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(budget.chopped(4));
            uitest::whenModal(QStringLiteral("replaceQuestion"), [&](QWidget *box) {
                asked = qobject_cast<QMessageBox *>(box)->text();
                qobject_cast<QMessageBox *>(box)->button(answer)->click();
                if (answer == QMessageBox::No) // back in the dialog
                    uitest::whenModal(QStringLiteral("exportDialog"), [](QWidget *again) { again->close(); });
            });
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QTimer::singleShot(15000, &session.window, [] { uitest::closeAllModals(); }); // fail, never hang
        session.window.findChild<QAction *>(QStringLiteral("export"))->trigger();
        QCOMPARE(asked, budget + QStringLiteral(" already exists.\nDo you want to replace it?"));
        QCOMPARE(mitest::readFile(budget).startsWith("entry,"), answer == QMessageBox::Yes);
    }
}

void TestMapIndexTable::exportWritesOnlySelectedRowsWhenAsked()
{
    Session session(mitest::makeDemoMaps());
    session.read();
    auto *table = session.window.findChild<QTableView *>(QStringLiteral("table"));
    const QString dir = uitest::makeTempDir();
    int exports = 0;
    bool offered = false;
    const auto exportWith = [&](bool selectedOnly) { // the rows written, header left out
        const QString out = dir + QStringLiteral("/%1.csv").arg(++exports);
        uitest::whenModal(QStringLiteral("exportDialog"), [&](QWidget *dialog) {
            auto *only = dialog->findChild<QCheckBox *>(QStringLiteral("selectedOnly"));
            offered = only->isVisible() && only->isEnabled();
            only->setChecked(selectedOnly);
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(out);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QTimer::singleShot(15000, &session.window, [] { uitest::closeAllModals(); }); // fail, never hang
        session.window.findChild<QAction *>(QStringLiteral("export"))->trigger();
        return mitest::readFile(out).split('\n').mid(1, session.model().rowCount()).join('\n');
    };
    QCOMPARE(exportWith(true).count('\n'), session.model().rowCount() - 1); // nothing selected: every row
    QVERIFY(!offered);
    table->selectRow(session.rowOf(QStringLiteral("Kings Road")));
    table->selectionModel()->select(session.model().index(session.rowOf(QStringLiteral("Castle Keep")), 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCOMPARE(exportWith(false).count('\n'), session.model().rowCount() - 1);
    QVERIFY(offered);
    const QByteArray selected = exportWith(true); // in the shown order
    QVERIFY2(selected.startsWith("Castle Keep,") && selected.contains("\nKings Road,"), selected.constData());

    // A reading that ends while the dialog is open replaces the rows: the export writes the new ones.
    session.window.setExportPicker([&](QWidget *, const QString &, int) {
        session.model().setRows({row("Newly Read", {"Fresh", {}, {}, {}})});
        table->selectRow(0);
        return std::optional(mapindex::ExportChoice{dir + QStringLiteral("/after.csv"), true});
    });
    session.window.findChild<QAction *>(QStringLiteral("export"))->trigger();
    QCOMPARE(mitest::readFile(dir + QStringLiteral("/after.csv")).split('\n').value(1),
             QByteArray("Newly Read,Fresh,,,,Newly Read.fcw\r"));
}

void TestMapIndexTable::copyPutsSelectedRowsOnClipboard()
{
    Session session(mitest::makeDemoMaps());
    session.read();
    auto *table = session.window.findChild<QTableView *>(QStringLiteral("table"));
    table->sortByColumn(0, Qt::AscendingOrder);
    table->selectRow(session.rowOf(QStringLiteral("Kings Road")));
    table->selectionModel()->select(session.model().index(session.rowOf(QStringLiteral("Elven Forest")), 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    session.window.findChild<QAction *>(QStringLiteral("copy"))->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("Elven Forest\tElven Forest\tOverland\tThalmarch Atlas\t7\tElven Forest.fcw\n"
                            "Kings Road\tKings Road\tOverland\tThalmarch Atlas\t19\tKings Road.fcw\n"));

    // A spreadsheet that takes the copied cells must not run them as formulas.
    const IndexRow formulas = row("=cmd", {"+SUM(A1)", "@x", "-1", "-1-1"});
    QCOMPARE(mapindex::TsvLines({&formulas}), std::string("'=cmd\t'+SUM(A1)\t'@x\t-1\t'-1-1\n"));
}

void TestMapIndexTable::enterAndDoubleClickOpenTheMap()
{
    const QString maps = mitest::makeDemoMaps();
    mitest::writeFile(maps + QStringLiteral("/Vol.2 Caves.fcw"), "xx\rMap Name: Second Volume\r"); // listed as "Vol"
    const QString record = uitest::makeTempDir() + QStringLiteral("/arguments.txt");
    const QString current = QDir::currentPath();
    Session session(maps, writeRecordingViewer(record));
    session.read();
    session.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&session.window));
    auto *table = session.window.findChild<QTableView *>(QStringLiteral("table"));

    session.window.findChild<QLineEdit *>(QStringLiteral("filter"))->setText(QStringLiteral("marsh"));
    QCOMPARE(session.model().rowCount(), 1);
    const QRect cell = table->visualRect(session.model().index(0, 1));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTRY_COMPARE(mitest::readFile(record), QFile::encodeName(maps + QStringLiteral("/Misty Marsh.fcw\n")));
    QCOMPARE(QDir::currentPath(), current); // the maps folder is held, not entered

    QFile::remove(record);
    // Enter in the filter moves to the first row, and Enter there opens it.
    auto *filter = session.window.findChild<QLineEdit *>(QStringLiteral("filter"));
    filter->setText(QStringLiteral("goblin"));
    QTest::keyClick(filter, Qt::Key_Return);
    QTest::keyClick(table, Qt::Key_Return);
    QTRY_COMPARE(mitest::readFile(record), QFile::encodeName(maps + QStringLiteral("/Goblin Warrens.fcw\n")));

    // A map named with dots is read and opened as itself.
    QFile::remove(record);
    filter->setText(QStringLiteral("second volume"));
    QTest::keyClick(filter, Qt::Key_Return);
    QTest::keyClick(table, Qt::Key_Return);
    QTRY_COMPARE(mitest::readFile(record), QFile::encodeName(maps + QStringLiteral("/Vol.2 Caves.fcw\n")));
}

void TestMapIndexTable::keyboardFocusesAndClearsFilter()
{
    Session session(mitest::makeDemoMaps());
    session.read();
    session.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&session.window));
    auto *table = session.window.findChild<QTableView *>(QStringLiteral("table"));
    auto *filter = session.window.findChild<QLineEdit *>(QStringLiteral("filter"));
    table->setFocus();
    QTest::keyClick(table, Qt::Key_F, Qt::ControlModifier);
    QTRY_VERIFY(filter->hasFocus());
    QTest::keyClicks(filter, QStringLiteral("harbour"));
    QCOMPARE(session.window.findChild<QLabel *>(QStringLiteral("status"))->text(), QStringLiteral("3 of 12 maps"));
    QTest::keyClick(filter, Qt::Key_Escape);
    QCOMPARE(filter->text(), QString());
    QCOMPARE(session.model().rowCount(), 12);
}

// A picture of the window for the README; only when tools/render_windows.sh asks.
void TestMapIndexTable::renderWindow()
{
    const QString out = qEnvironmentVariable("RENDER_WINDOWS_DIR");
    if (out.isEmpty())
        QSKIP("RENDER_WINDOWS_DIR is not set");
    const QString maps = mitest::makeDemoMaps();
    Session first(maps);
    first.read();
    QVERIFY(QFile::remove(maps + QStringLiteral("/Kings Road.fcw")));
    QVERIFY(QFile::copy(maps + QStringLiteral("/Harbour.fcw"), maps + QStringLiteral("/Harbour Lights.fcw")));
    // Two maps listed alike, told apart by the File column.
    QVERIFY(QFile::copy(maps + QStringLiteral("/Castle Keep.fcw"), maps + QStringLiteral("/Castle Keep.Level.2.fcw")));
    QDir(maps).mkdir(QStringLiteral("Torn Scroll.fcw"));
    Session session(maps);
    session.read();
    session.window.resize(900, 420);
    session.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&session.window));
    session.window.findChild<QTableView *>(QStringLiteral("table"))->sortByColumn(4, Qt::AscendingOrder);
    session.window.findChild<QLineEdit *>(QStringLiteral("filter"))
        ->setText(QStringLiteral("product:\"thalmarch atlas\" -type:overland"));
    QVERIFY(session.window.grab().save(out + QStringLiteral("/map-index.png")));
}

QTEST_MAIN(TestMapIndexTable)
#include "tst_mapindex_table.moc"
