#include "mapindex_fixture.h"

#include "change_legend.h"
#include "changes.h"
#include "changes_dialog.h"

#include <QDateTime>
#include <QLineEdit>
#include <QPushButton>

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
    void exportWritesCsv();
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
    QCOMPARE(seen.reads.load(), 0);
    QVERIFY(!seen.model().index(seen.rowOf(QStringLiteral("New Port")), 1).data(Qt::BackgroundRole).isValid());
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

QTEST_MAIN(TestMapIndexChanges)
#include "tst_mapindex_changes.moc"
