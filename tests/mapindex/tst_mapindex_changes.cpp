#include "mapindex_fixture.h"

#include "change_legend.h"
#include "changes.h"
#include "changes_dialog.h"
#include "index_cache.h"
#include "unreachable_folders.h"

#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>

using mapindex::Change;
using mitest::Session;

class TestMapIndexChanges final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void marking_data();
    void marking();
    void mapsOfOneNameInTwoFolders();
    void marksLastUntilSeen();
    void changedMapKeepsWhatWasSeen();
    void changesAreAPlaceToWork();
    void exportWritesCsv();
    void awaySubfolderKeepsItsRowsInPlace();
};

namespace {

// "a1N b2": map a of size 1 marked new, map b of size 2 unmarked (C: changed).
std::vector<mapindex::IndexRow> rowsOf(const QString &text)
{
    std::vector<mapindex::IndexRow> rows;
    for (const QString &token : text.split(u' ', Qt::SkipEmptyParts)) {
        mapindex::IndexRow &row = rows.emplace_back();
        row.fileName = row.entry = token.left(1).toStdString();
        row.size = token.mid(1, 1).toULongLong();
        row.change = token.endsWith(u'N') ? Change::New : token.endsWith(u'C') ? Change::Changed : Change::None;
    }
    return rows;
}

QString textOf(const std::vector<mapindex::IndexRow> &rows)
{
    const char *const marks[] = {"", "N", "C"};
    QStringList tokens;
    for (const auto &row : rows)
        tokens << QString::fromStdString(row.fileName + std::to_string(row.size) + marks[int(row.change)]);
    return tokens.join(u' ');
}

} // namespace

void TestMapIndexChanges::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(uitest::makeTempDir()));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(uitest::makeTempDir()));
}

void TestMapIndexChanges::marking_data()
{
    // previous reading | removed before | now | marked now | removed now
    QTest::addColumn<QString>("table");
    QTest::newRow("unchanged") << QStringLiteral("a1 | | a1 | a1 |");
    QTest::newRow("marks stay until seen") << QStringLiteral("a1N b1C | | a1 b1 | a1N b1C |");
    QTest::newRow("added") << QStringLiteral("a1 | | a1 b1 | a1 b1N |");
    QTest::newRow("changed") << QStringLiteral("a1 | | a2 | a2C |");
    QTest::newRow("a new map changed stays new") << QStringLiteral("a1N | | a2 | a2N |");
    QTest::newRow("seen maps removed") << QStringLiteral("a1 b1C c1 | | c1 | c1 | ab");
    QTest::newRow("a new map removed unseen is forgotten") << QStringLiteral("a1N | | | |");
    QTest::newRow("removed stay listed") << QStringLiteral("a1 | x | | | xa");
    QTest::newRow("a removed map back is changed") << QStringLiteral("a1 | xy | a1 x1 | a1 x1C | y");
}

void TestMapIndexChanges::marking()
{
    QFETCH(QString, table);
    const QStringList part = table.split(u'|');
    std::vector<mapindex::ChangeNote> before;
    for (const QChar name : part[1].trimmed())
        before.push_back({Change::Removed, QString(name).toStdString(), QString(name).toStdString()});
    std::vector<mapindex::IndexRow> rows = rowsOf(part[2]);
    QString removed;
    for (const auto &note : mapindex::MarkChanges(rows, rowsOf(part[0]), before))
        removed += QString::fromStdString(note.fileName);
    QCOMPARE(textOf(rows), part[3].trimmed());
    QCOMPARE(removed, part[4].trimmed());
}

void TestMapIndexChanges::mapsOfOneNameInTwoFolders()
{
    std::vector<mapindex::IndexRow> before = rowsOf(QStringLiteral("x1 x2"));
    before[0].folder = "a";
    before[1].folder = "b";
    std::vector<mapindex::IndexRow> now = {before[1]};
    const std::vector<mapindex::ChangeNote> removed = mapindex::MarkChanges(now, before);
    QCOMPARE(textOf(now), QStringLiteral("x2"));
    QCOMPARE(removed, (std::vector<mapindex::ChangeNote>{{Change::Removed, "x", "a/x"}}));
}

void TestMapIndexChanges::marksLastUntilSeen()
{
    const QString maps = mitest::makeDemoMaps();
    Session(maps).read(); // the first reading marks nothing: every map would be new
    QVERIFY(QFile::copy(maps + QStringLiteral("/Harbour.fcw"), maps + QStringLiteral("/New Port.fcw")));
    QFile touched(maps + QStringLiteral("/Castle Keep.fcw"));
    QVERIFY(touched.open(QIODevice::ReadWrite));
    QVERIFY(touched.setFileTime(QDateTime::currentDateTime().addSecs(120), QFileDevice::FileModificationTime));
    QVERIFY(QFile::remove(maps + QStringLiteral("/Kings Road.fcw")));
    const std::vector<mapindex::ChangeNote> expected = {{Change::Changed, "Castle Keep", "Castle Keep.fcw"},
                                                        {Change::New, "New Port", "New Port.fcw"},
                                                        {Change::Removed, "Kings Road", "Kings Road.fcw"}};
    for (const bool restart : {false, true}) {
        Session session(maps);
        session.read();
        session.read(true);
        QCOMPARE(session.window.changes(), expected);
        QVERIFY(session.model().index(session.rowOf(QStringLiteral("New Port")), 1).data(Qt::BackgroundRole).isValid());
        QVERIFY(session.window.findChild<mapindex::ChangeLegend *>()->isVisibleTo(&session.window));
        if (!restart)
            continue;
        // Show Only narrows, with the word filter and the contents search: all must hold.
        auto *only = session.window.findChild<QAction *>(QStringLiteral("onlyMarked"));
        only->setChecked(true);
        QCOMPARE(session.column(0), QStringList({QStringLiteral("Castle Keep"), QStringLiteral("New Port")}));
        session.window.findChild<QLineEdit *>(QStringLiteral("filter"))->setText(QStringLiteral("port"));
        QCOMPARE(session.column(0), QStringList(QStringLiteral("New Port")));
        auto match = std::make_shared<mapindex::ContentMatch>();
        match->rows = session.model().sharedRows();
        for (const auto &row : session.model().rows())
            match->holds.push_back(row.entry == "Harbour" || row.entry == "Castle Keep");
        session.model().setContentMatch(match);
        QCOMPARE(session.model().rowCount(), 0);
        only->setChecked(false);
        QCOMPARE(session.model().rowCount(), 0);
        session.window.findChild<QLineEdit *>(QStringLiteral("filter"))->clear();
        QCOMPARE(session.model().rowCount(), 2);

        auto *markSeen = session.window.findChild<QAction *>(QStringLiteral("markSeen"));
        QVERIFY(markSeen->isEnabled());
        markSeen->trigger();
        QVERIFY(session.window.changes().empty());
        QVERIFY(!session.window.findChild<mapindex::ChangeLegend *>()->isVisibleTo(&session.window));
        QCOMPARE(session.model().rowCount(), 2); // the same maps: the contents search still holds
    }
    Session seen(maps);
    seen.read();
    QVERIFY(seen.window.changes().empty());
    QCOMPARE(seen.reads(), 0);
    QVERIFY(!seen.model().index(seen.rowOf(QStringLiteral("New Port")), 1).data(Qt::BackgroundRole).isValid());
}

// A changed map keeps what it held when last seen, through further changes,
// readings and the cache, until it is marked as seen.
void TestMapIndexChanges::changedMapKeepsWhatWasSeen()
{
    const auto map = [](std::uint64_t size, const char *name) {
        mapindex::IndexRow row;
        row.fileName = "a.fcw";
        row.entry = "a";
        row.size = size;
        row.stamp.modifiedNs = static_cast<std::int64_t>(size);
        row.values = {name, "Cave", std::nullopt, "1"};
        return row;
    };
    const std::vector<mapindex::IndexRow> seen = {map(10, "Old")};
    std::vector<mapindex::IndexRow> rows = {map(12, "New")};
    mapindex::MarkChanges(rows, seen);
    const mapindex::SeenState expected{10, {"Old", "Cave", std::nullopt, "1"}};
    QVERIFY(rows[0].seen.state);
    QCOMPARE(*rows[0].seen.state, expected);
    for (const std::uint64_t size : {14, 14}) { // changed again, then read again unchanged
        const std::vector<mapindex::IndexRow> previous = rows;
        rows = {map(size, "Newer")};
        mapindex::MarkChanges(rows, previous);
        QCOMPARE(rows[0].change, Change::Changed);
        QVERIFY(rows[0].seen.state);
        QCOMPARE(*rows[0].seen.state, expected);
    }

    // The cache keeps it, and a cache written before it was kept still loads.
    const mapindex::CachedIndex cached{rows, {}};
    QCOMPARE(mapindex::ParseCache(mapindex::CacheBytes("/maps", cached), "/maps"), std::optional(cached));
    std::string older = mapindex::CacheBytes("/maps", {seen, {}});
    older.resize(older.size() - sizeof(std::uint64_t)); // its digest
    const std::uint32_t version = 6;
    older.replace(sizeof(std::uint32_t), sizeof version, reinterpret_cast<const char *>(&version), sizeof version);
    QCOMPARE(mapindex::ParseCache(mapindex::SealedCache(older), "/maps"),
             std::optional(mapindex::CachedIndex{seen, {}}));

    QVERIFY(!mapindex::MarkedAsSeen(rows)[0].seen.state);
}

// Changes… says what changed in the selected map, opens it with Enter, and
// finds it in the table.
void TestMapIndexChanges::changesAreAPlaceToWork()
{
    const QString maps = mitest::makeDemoMaps();
    const QString record = uitest::makeTempDir() + QStringLiteral("/opened.txt");
    Session session(maps, mitest::recordingViewer(record));
    session.read();
    const QString harbour = maps + QStringLiteral("/Harbour.fcw");
    const qint64 oldSize = QFileInfo(harbour).size();
    mitest::writeFile(harbour,
                      "\rMap Name: Harbour Quay\r\nMap Type: City\r\nProduct: Thalmarch Atlas\r\n"
                      "Page Number: 3\r\n");
    session.read(true);
    session.window.findChild<QLineEdit *>(QStringLiteral("filter"))->setText(QStringLiteral("castle"));

    QString details;
    uitest::whenModal(QStringLiteral("changesDialog"), [&](QWidget *dialog) {
        auto *list = dialog->findChild<QTreeWidget *>(QStringLiteral("changesList"));
        list->setFocus();
        details = dialog->findChild<QLabel *>(QStringLiteral("changeDetails"))->text();
        QTest::keyClick(list, Qt::Key_Return);
        dialog->findChild<QPushButton *>(QStringLiteral("showInTable"))->click();
    });
    session.window.findChild<QAction *>(QStringLiteral("changes"))->trigger();
    const QLocale locale;
    QCOMPARE(details,
             QStringLiteral("Map Name: Harbour District \u2192 Harbour Quay\nMap Type: City\n"
                            "Product: Thalmarch Atlas\nPage Number: 3\nSize: %1 bytes \u2192 %2 bytes")
                 .arg(locale.toString(oldSize), locale.toString(QFileInfo(harbour).size())));
    QTRY_COMPARE(mitest::readFile(record), QFile::encodeName(harbour) + "\n");
    // Found in the table, past the filter that left it out.
    const QModelIndex current = session.window.findChild<QTableView *>(QStringLiteral("table"))->currentIndex();
    QCOMPARE(current.siblingAtColumn(0).data().toString(), QStringLiteral("Harbour"));
    QCOMPARE(session.window.findChild<QLineEdit *>(QStringLiteral("filter"))->text(), QString());
}

void TestMapIndexChanges::exportWritesCsv()
{
    const QString file = uitest::makeTempDir() + QStringLiteral("/changes.csv");
    mitest::writeFile(file, "old");
    const std::vector<mapindex::ChangeNote> changes = {{Change::New, "New Port", "New Port.fcw"},
                                                       {Change::Changed, "=cmd", "=cmd.fcw"},
                                                       {Change::Removed, "\xC5rhus, Vol.2", "\xC5rhus, Vol.2.fcw"}};
    mapindex::ChangesDialog dialog(
        changes, true, [&](QWidget *, const QString &) { return std::optional<QString>(file); }, QString(), nullptr);
    dialog.findChild<QPushButton *>(QStringLiteral("exportChanges"))->click();
    QCOMPARE(mitest::readFile(file),
             QByteArray("change,entry,file\r\n"
                        "New,New Port,New Port.fcw\r\n"
                        "Changed,'=cmd,'=cmd.fcw\r\n"
                        "Removed,\"\xC3\x85rhus, Vol.2\",\"\xC3\x85rhus, Vol.2.fcw\"\r\n"));
}

// A share unmounted below the folder read: its rows stay where the walk put
// them, unmarked, and the line says it is away, not unreadable.
void TestMapIndexChanges::awaySubfolderKeepsItsRowsInPlace()
{
    std::vector<mapindex::IndexRow> before(4);
    const char *const folders[] = {"", "a", "a/deep", "b"};
    for (std::size_t i = 0; i < before.size(); ++i) {
        before[i].folder = folders[i];
        before[i].fileName = "x.fcw";
        before[i].change = i == 2 ? Change::Changed : Change::None;
    }
    std::vector<mapindex::IndexRow> rows{before[0], before[1], before[3]};
    const std::vector<mapindex::UnreachableFolder> away{
        mapindex::Unreachable(runtime::EInOutError("I/O error 21.", runtime::IoCode::NotReady), "a/deep")};
    mapindex::KeepUnreachableRows(rows, before, away);
    QVERIFY(rows == before);
    QVERIFY(mapindex::MarkChanges(rows, before).empty());
    QCOMPARE(mapindex::UnreachableText("/maps", away),
             QStringLiteral("/maps/a/deep is not available. Reconnect it and press F5"));
}

QTEST_MAIN(TestMapIndexChanges)
#include "tst_mapindex_changes.moc"
