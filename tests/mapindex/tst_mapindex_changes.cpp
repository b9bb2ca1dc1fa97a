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
    void marksLastUntilSeen();
    void showOnlyNarrows();
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
    QStringList tokens;
    for (const auto &row : rows)
        tokens << QString::fromStdString(row.fileName) + QString::number(row.size)
                + QString::fromLatin1(row.change == Change::New           ? "N"
                                          : row.change == Change::Changed ? "C"
                                                                          : "");
    return tokens.join(u' ');
}

QString namesOf(const std::vector<mapindex::ChangeNote> &notes)
{
    QString names;
    for (const auto &note : notes)
        names += QString::fromStdString(note.fileName);
    return names;
}

void touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(120), QFileDevice::FileModificationTime));
}

} // namespace

void TestMapIndexChanges::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(uitest::makeTempDir()));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(uitest::makeTempDir()));
}

void TestMapIndexChanges::marking_data()
{
    QTest::addColumn<QString>("previous");
    QTest::addColumn<QString>("removedBefore");
    QTest::addColumn<QString>("now");
    QTest::addColumn<QString>("marked");
    QTest::addColumn<QString>("removed");
    QTest::newRow("unchanged") << "a1"
                               << ""
                               << "a1"
                               << "a1"
                               << "";
    QTest::newRow("marks stay until seen") << "a1N b1C"
                                           << ""
                                           << "a1 b1"
                                           << "a1N b1C"
                                           << "";
    QTest::newRow("added") << "a1"
                           << ""
                           << "a1 b1"
                           << "a1 b1N"
                           << "";
    QTest::newRow("changed") << "a1"
                             << ""
                             << "a2"
                             << "a2C"
                             << "";
    QTest::newRow("a new map changed stays new") << "a1N"
                                                 << ""
                                                 << "a2"
                                                 << "a2N"
                                                 << "";
    QTest::newRow("seen maps removed") << "a1 b1C c1"
                                       << ""
                                       << "c1"
                                       << "c1"
                                       << "ab";
    QTest::newRow("a new map removed unseen is forgotten") << "a1N"
                                                           << ""
                                                           << ""
                                                           << ""
                                                           << "";
    QTest::newRow("removed stay listed") << "a1"
                                         << "x"
                                         << ""
                                         << ""
                                         << "xa";
    QTest::newRow("a removed map back is changed") << "a1"
                                                   << "xy"
                                                   << "a1 x1"
                                                   << "a1 x1C"
                                                   << "y";
}

void TestMapIndexChanges::marking()
{
    QFETCH(QString, previous);
    QFETCH(QString, removedBefore);
    QFETCH(QString, now);
    std::vector<mapindex::ChangeNote> before;
    for (const QChar name : removedBefore)
        before.push_back({Change::Removed, QString(name).toStdString(), QString(name).toStdString()});
    std::vector<mapindex::IndexRow> rows = rowsOf(now);
    const auto removed = mapindex::MarkChanges(rows, rowsOf(previous), before);
    QTEST(textOf(rows), "marked");
    QTEST(namesOf(removed), "removed");
}

void TestMapIndexChanges::marksLastUntilSeen()
{
    const QString maps = mitest::makeDemoMaps();
    Session(maps).read(); // the first reading marks nothing: every map would be new
    QVERIFY(QFile::copy(maps + QStringLiteral("/Harbour.fcw"), maps + QStringLiteral("/New Port.fcw")));
    touch(maps + QStringLiteral("/Castle Keep.fcw"));
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
        auto *markSeen = session.window.findChild<QAction *>(QStringLiteral("markSeen"));
        QVERIFY(markSeen && markSeen->isEnabled());
        markSeen->trigger();
        QVERIFY(session.window.changes().empty());
        QVERIFY(!session.window.findChild<mapindex::ChangeLegend *>()->isVisibleTo(&session.window));
    }
    Session seen(maps);
    seen.read();
    QVERIFY(seen.window.changes().empty());
    QCOMPARE(seen.reads.load(), 0);
    QVERIFY(!seen.model().index(seen.rowOf(QStringLiteral("New Port")), 1).data(Qt::BackgroundRole).isValid());
}

void TestMapIndexChanges::showOnlyNarrows()
{
    const QString maps = mitest::makeDemoMaps();
    Session session(maps);
    session.read();
    QVERIFY(QFile::copy(maps + QStringLiteral("/Harbour.fcw"), maps + QStringLiteral("/New Port.fcw")));
    touch(maps + QStringLiteral("/Castle Keep.fcw"));
    session.read(true);
    auto *only = session.window.findChild<QAction *>(QStringLiteral("onlyMarked"));
    QVERIFY(only && only->isCheckable());
    only->setChecked(true);
    QCOMPARE(session.column(0), QStringList({QStringLiteral("Castle Keep"), QStringLiteral("New Port")}));
    session.window.findChild<QLineEdit *>(QStringLiteral("filter"))->setText(QStringLiteral("port"));
    QCOMPARE(session.column(0), QStringList(QStringLiteral("New Port")));
    // A contents search that finds Harbour and Castle Keep but not New Port leaves nothing.
    auto match = std::make_shared<mapindex::ContentMatch>();
    match->rows = session.model().sharedRows();
    for (const auto &row : session.model().rows())
        match->holds.push_back(row.entry == "Harbour" || row.entry == "Castle Keep");
    session.model().setContentMatch(match);
    QCOMPARE(session.model().rowCount(), 0);
    session.window.findChild<QLineEdit *>(QStringLiteral("filter"))->clear();
    QCOMPARE(session.column(0), QStringList(QStringLiteral("Castle Keep")));
    only->setChecked(false);
    QCOMPARE(session.model().rowCount(), 2);
    // Marked as seen, the maps are the same: the contents search still holds.
    session.window.findChild<QAction *>(QStringLiteral("markSeen"))->trigger();
    QCOMPARE(session.model().rowCount(), 2);
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
