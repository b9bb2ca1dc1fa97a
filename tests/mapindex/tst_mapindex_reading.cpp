#include "mapindex_fixture.h"

#include "ErrorReport.h"
#include "collection_reader.h"
#include "index_cache.h"
#include "runtime/io_depth.h"

#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QThread>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

using mitest::Session;

class TestMapIndexReading final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void secondOpeningReadsNoMap();
    void cachedRowsShowWhileTheFolderIsChecked();
    void anotherRunUsesTheCache();
    void corruptCacheIsRebuilt_data();
    void corruptCacheIsRebuilt();
    void changesAfterAddTouchDelete();
    void rewriteKeepingSizeAndSecondIsSeen_data();
    void rewriteKeepingSizeAndSecondIsSeen();
    void unreadableMapKeepsItsRow();
    void folderAwayKeepsTheTableAndMarks();
    void cancelKeepsTheRowsShown();
    void readAheadAgreesWithAPlainRead();

private:
    std::vector<ui::ShownMessage> messages_;
};

// Set in the second run of anotherRunUsesTheCache: the maps folder whose
// cache the first run wrote, in the cache folder it passes on.
constexpr char CachedMapsVariable[] = "MAPINDEX_CACHED_MAPS";

void TestMapIndexReading::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(uitest::makeTempDir())); // no view kept from the user's own
    if (qEnvironmentVariableIsEmpty(CachedMapsVariable))
        qputenv("XDG_CACHE_HOME", QFile::encodeName(uitest::makeTempDir()));
}

void TestMapIndexReading::init()
{
    messages_.clear();
    ui::SetMessageRecorder([this](const ui::ShownMessage &message) { messages_.push_back(message); });
}

void TestMapIndexReading::cleanup()
{
    ui::SetMessageRecorder({});
}

void TestMapIndexReading::secondOpeningReadsNoMap()
{
    const QString maps = mitest::makeDemoMaps();
    Session first(maps);
    first.read();
    QCOMPARE(first.reads(), 12);

    Session second(maps);
    second.read();
    QCOMPARE(second.reads(), 0);
    for (int c = 0; c < 5; ++c)
        QCOMPARE(second.column(c), first.column(c));
    QVERIFY(second.window.changes().empty());
}

void TestMapIndexReading::cachedRowsShowWhileTheFolderIsChecked()
{
    const QString maps = mitest::makeDemoMaps();
    Session(maps).read();
    QFile touched(maps + QStringLiteral("/Castle Keep.fcw"));
    QVERIFY(touched.open(QIODevice::ReadWrite));
    QVERIFY(touched.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    touched.close();

    // The changed map's reading waits, so the cached table is seen first.
    Session checked(maps);
    std::atomic<bool> release{false};
    checked.window.loader().setRecordReader([&](const std::string &dir, const catalogue::ListedMap &map) {
        while (!release)
            QThread::msleep(5);
        return catalogue::ReadIndexRecord(dir, map);
    });
    QSignalSpy filled(&checked.window, &mapindex::IndexWindow::tableFilled);
    QSignalSpy done(&checked.window, &mapindex::IndexWindow::readingFinished);
    checked.window.open(checked.state);
    QVERIFY(filled.wait(30000));
    QCOMPARE(checked.model().rowCount(), 12);
    QVERIFY(checked.window.loader().isRunning());
    QVERIFY(!checked.model().index(checked.rowOf(QStringLiteral("Castle Keep")), 0).data(Qt::BackgroundRole).isValid());
    release = true;
    QVERIFY(done.wait(30000));
    QVERIFY(checked.model().index(checked.rowOf(QStringLiteral("Castle Keep")), 0).data(Qt::BackgroundRole).isValid());
    QCOMPARE(checked.window.changes().size(), std::size_t(1));

    // Nothing changed since: the cached rows stay as they are, not reset again.
    Session unchanged(maps);
    QSignalSpy resets(&unchanged.model(), &QAbstractItemModel::modelReset);
    unchanged.read();
    QCOMPARE(resets.count(), 1);
    QCOMPARE(unchanged.model().rowCount(), 12);
}

void TestMapIndexReading::anotherRunUsesTheCache()
{
    if (const QString cached = qEnvironmentVariable(CachedMapsVariable); !cached.isEmpty()) {
        Session second(cached);
        second.read();
        QCOMPARE(second.reads(), 0);
        return;
    }
    const QString maps = mitest::makeDemoMaps();
    Session(maps).read();
    const uitest::ToolRun second =
        uitest::runTool(QCoreApplication::applicationFilePath(), {QStringLiteral("anotherRunUsesTheCache")},
                        {QString::fromLatin1(CachedMapsVariable) + u'=' + maps});
    QVERIFY2(second.exitCode == 0, second.output.constData());
}

void TestMapIndexReading::corruptCacheIsRebuilt_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("a flipped byte") << QStringLiteral("flip");
    QTest::newRow("cut short") << QStringLiteral("truncate");
    QTest::newRow("empty") << QStringLiteral("empty");
    QTest::newRow("another folder's cache") << QStringLiteral("foreign");
}

void TestMapIndexReading::corruptCacheIsRebuilt()
{
    QFETCH(QString, damage);
    const QString maps = mitest::makeDemoMaps();
    const QString cache = mapindex::CacheFilePath(mitest::bytes(maps));
    Session(maps).read();
    QByteArray content = mitest::readFile(cache);
    QVERIFY(content.size() > 100);
    if (damage == u"flip")
        content[content.size() / 2] = char(content[content.size() / 2] ^ 0x20);
    else if (damage == u"truncate")
        content.chop(40);
    else if (damage == u"empty")
        content.clear();
    else {
        const QString other = mitest::makeDemoMaps();
        Session(other).read();
        content = mitest::readFile(mapindex::CacheFilePath(mitest::bytes(other)));
    }
    mitest::writeFile(cache, content);

    Session rebuilt(maps);
    rebuilt.read();
    QCOMPARE(rebuilt.reads(), 12);
    QCOMPARE(rebuilt.model().rowCount(), 12);
    QCOMPARE(rebuilt.model().index(rebuilt.rowOf(QStringLiteral("Harbour")), 1).data().toString(),
             QStringLiteral("Harbour District"));

    Session again(maps);
    again.read();
    QCOMPARE(again.reads(), 0);
}

void TestMapIndexReading::changesAfterAddTouchDelete()
{
    const QString maps = mitest::makeDemoMaps();
    Session session(maps);
    session.read();
    QVERIFY(session.window.changes().empty());

    QVERIFY(QFile::copy(maps + QStringLiteral("/Harbour.fcw"), maps + QStringLiteral("/New Port.fcw")));
    QFile touched(maps + QStringLiteral("/Castle Keep.fcw"));
    QVERIFY(touched.open(QIODevice::ReadWrite));
    QVERIFY(touched.setFileTime(QDateTime::currentDateTime().addSecs(120), QFileDevice::FileModificationTime));
    touched.close();
    QVERIFY(QFile::remove(maps + QStringLiteral("/Kings Road.fcw")));

    session.read(true);
    QCOMPARE(session.reads(), 2);
    std::vector<std::pair<mapindex::Change, std::string>> changes;
    for (const mapindex::ChangeNote &note : session.window.changes())
        changes.emplace_back(note.kind, note.entry);
    const std::vector<std::pair<mapindex::Change, std::string>> expected = {
        {mapindex::Change::Changed, "Castle Keep"},
        {mapindex::Change::New, "New Port"},
        {mapindex::Change::Removed, "Kings Road"},
    };
    QCOMPARE(changes, expected);

    QCOMPARE(session.model().rowCount(), 12);
    QCOMPARE(session.rowOf(QStringLiteral("Kings Road")), -1);
    const auto background = [&](const char *entry) {
        return session.model().index(session.rowOf(QString::fromLatin1(entry)), 2).data(Qt::BackgroundRole);
    };
    QVERIFY(background("New Port").isValid());
    QVERIFY(background("Castle Keep").isValid());
    QVERIFY(background("Castle Keep") != background("New Port"));
    QVERIFY(!background("Harbour").isValid());

    // The marks last until they are marked as seen, not only until the next
    // reading, also in another run (the removed map too).
    Session restarted(maps);
    restarted.read();
    QCOMPARE(restarted.window.changes().size(), expected.size());
    session.read(true);
    QCOMPARE(session.window.changes().size(), expected.size());
    QVERIFY(background("New Port").isValid());
}

void TestMapIndexReading::rewriteKeepingSizeAndSecondIsSeen_data()
{
    QTest::addColumn<QString>("written"); // where the new version is written first
    QTest::newRow("rewritten, the time put back (touch -r)") << QStringLiteral("Twin.fcw");
    QTest::newRow("replaced by a copy with the old time (cp -p)") << QStringLiteral("Twin.new");
}

void TestMapIndexReading::rewriteKeepingSizeAndSecondIsSeen()
{
    QFETCH(QString, written);
    const QString maps = mitest::makeDemoMaps();
    const QByteArray twin = QFile::encodeName(maps + QStringLiteral("/Twin.fcw"));
    mitest::writeFile(QFile::decodeName(twin), "Map Name: Alpha\r");
    struct stat before {};
    QCOMPARE(::stat(twin.constData(), &before), 0);
    Session session(maps);
    session.read();
    mitest::writeFile(maps + u'/' + written, "Map Name: Bravo\r"); // as large
    QCOMPARE(std::rename(QFile::encodeName(maps + u'/' + written).constData(), twin.constData()), 0);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    QCOMPARE(::utimensat(AT_FDCWD, twin.constData(), times, 0), 0);
    session.read(true);
    QCOMPARE(session.model().index(session.rowOf(QStringLiteral("Twin")), 1).data().toString(),
             QStringLiteral("Bravo"));
    QCOMPARE(session.window.changes().size(), std::size_t(1));
}

void TestMapIndexReading::unreadableMapKeepsItsRow()
{
    const QString maps = mitest::makeDemoMaps();
    QVERIFY(QDir(maps).mkdir(QStringLiteral("Broken.fcw")));
    Session session(maps);
    session.read();
    QCOMPARE(session.model().rowCount(), 13);
    const int broken = session.rowOf(QStringLiteral("Broken"));
    QVERIFY(broken >= 0);
    QVERIFY(!session.model().index(broken, 0).data(Qt::DecorationRole).isNull());
    QVERIFY(!session.model().index(broken, 3).data(Qt::ToolTipRole).toString().isEmpty());
    QCOMPARE(session.model().index(session.rowOf(QStringLiteral("Harbour")), 3).data().toString(),
             QStringLiteral("Thalmarch Atlas"));
    QVERIFY(session.model().index(session.rowOf(QStringLiteral("Harbour")), 0).data(Qt::DecorationRole).isNull());
    QVERIFY(messages_.empty());

    // Its error is not cached: the next opening tries it again, and only it.
    Session again(maps);
    again.read();
    QCOMPARE(again.reads(), 1);
}

namespace {

void touch(const QString &path, int seconds)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(seconds), QFileDevice::FileModificationTime));
}

} // namespace

void TestMapIndexReading::folderAwayKeepsTheTableAndMarks()
{
    // Renamed away and back, as an unplugged disk or an unmounted share goes and comes.
    const QString maps = mitest::makeDemoMaps(), away = maps + QStringLiteral("-away");
    Session(maps).read();
    touch(maps + QStringLiteral("/Castle Keep.fcw"), 60);
    Session session(maps);
    session.read();
    QCOMPARE(session.window.changes().size(), std::size_t(1));
    const QString cache = mapindex::CacheFilePath(mapindex::CacheKey(session.state.MapsDirectory, false));
    const QByteArray cached = mitest::readFile(cache);
    auto *line = session.window.findChild<QLabel *>(QStringLiteral("unavailable"));
    QVERIFY(line->isHidden());

    QCOMPARE(std::rename(QFile::encodeName(maps).constData(), QFile::encodeName(away).constData()), 0);
    session.read(true);
    Session started(maps); // a start while it is away shows the cached table
    started.read();
    for (const Session *each : {&session, &started}) {
        QCOMPARE(each->model().rowCount(), 12);
        QCOMPARE(each->window.changes().size(), std::size_t(1));
        const auto *shown = each->window.findChild<QLabel *>(QStringLiteral("unavailable"));
        QVERIFY(!shown->isHidden());
        QCOMPARE(shown->text(), maps + QStringLiteral(" is not available. Reconnect it and press F5"));
    }
    QVERIFY(messages_.empty());
    QCOMPARE(mitest::readFile(cache), cached);

    // Back, with one more map changed meanwhile: only it is read, and the earlier mark stays.
    QCOMPARE(std::rename(QFile::encodeName(away).constData(), QFile::encodeName(maps).constData()), 0);
    touch(maps + QStringLiteral("/Harbour.fcw"), 120);
    session.read(true);
    QCOMPARE(session.reads(), 1);
    QCOMPARE(session.window.changes().size(), std::size_t(2));
    QVERIFY(line->isHidden());
}

void TestMapIndexReading::cancelKeepsTheRowsShown()
{
    const QString maps = mitest::makeDemoMaps();
    Session session(maps);
    session.read();
    QVERIFY(QFile::remove(maps + QStringLiteral("/Harbour.fcw")));
    QFile touched(maps + QStringLiteral("/Castle Keep.fcw"));
    QVERIFY(touched.open(QIODevice::ReadWrite));
    QVERIFY(touched.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    touched.close();

    // A reader that waits until the reading is cancelled.
    std::atomic<bool> cancelled{false};
    session.window.loader().setRecordReader([&](const std::string &dir, const catalogue::ListedMap &map) {
        while (!cancelled)
            QThread::msleep(5);
        return catalogue::ReadIndexRecord(dir, map);
    });
    session.window.findChild<QAction *>(QStringLiteral("reload"))->trigger();
    auto *progress = session.window.findChild<QWidget *>(QStringLiteral("progress"));
    QVERIFY(!progress->isHidden());
    QVERIFY(!session.window.findChild<QAction *>(QStringLiteral("reload"))->isEnabled());
    QTRY_COMPARE(qobject_cast<QProgressBar *>(progress)->value(), 10); // the maps taken as they were
    session.window.findChild<QPushButton *>(QStringLiteral("cancel"))->click();
    cancelled = true;
    QTRY_VERIFY_WITH_TIMEOUT(!session.window.loader().isRunning(), 30000);
    QTRY_VERIFY(progress->isHidden());
    QCOMPARE(session.model().rowCount(), 12);
    QVERIFY(session.rowOf(QStringLiteral("Harbour")) >= 0);
    QVERIFY(session.window.findChild<QAction *>(QStringLiteral("reload"))->isEnabled());

    // The status says the rows were not all checked, also once filtered, until a reading ends.
    auto *status = session.window.findChild<QLabel *>(QStringLiteral("status"));
    QCOMPARE(status->text(), QStringLiteral("12 of 12 maps; cancelled after 10 of 11, not checked: press F5"));
    session.window.findChild<QLineEdit *>(QStringLiteral("filter"))->setText(QStringLiteral("castle"));
    QCOMPARE(status->text(), QStringLiteral("1 of 12 maps; cancelled after 10 of 11, not checked: press F5"));
    session.read(true);
    QCOMPARE(status->text(), QStringLiteral("1 of 11 maps"));
}

// The reading with first blocks read ahead gives the rows of the plain one,
// the cached rows among them, with one thread or many, and stops at a stop;
// a listing that matches the previous rows makes no rows, any other one all.
void TestMapIndexReading::readAheadAgreesWithAPlainRead()
{
    const QString maps = uitest::makeTempDir();
    for (int i = 0; i < 120; ++i)
        mitest::writeFile(maps + QStringLiteral("/m%1.fcw").arg(100 + i),
                          "Map Name: " + QByteArray(i % 4 ? 9 : 9000, 'n') + "\rPage Number: " + QByteArray::number(i));
    const mapindex::RecordReader plainRead = [](const std::string &dir, const catalogue::ListedMap &map) {
        return catalogue::ReadIndexRecord(dir, map);
    };
    const std::string dir = mitest::bytes(maps);
    std::vector<mapindex::IndexRow> plain = mapindex::ReadCollection({dir, false, nullptr, plainRead, 1, {}, {}}).rows,
                                    cached(plain.begin(), plain.begin() + 40);
    for (const unsigned jobs : {1u, 2u, 8u}) {
        QVERIFY(mapindex::ReadCollection({dir, false, &cached, {}, jobs, {}, {}}).rows == plain);
        QVERIFY(mapindex::ReadCollection({dir, false, &cached, {}, jobs, [] { return true; }, {}}).cancelled);
    }
    QVERIFY(!mapindex::ListChangedMaps(dir, &plain));
    QVERIFY(mapindex::ListChangedMaps(dir, &cached) == mapindex::ListMaps(dir));
    plain.push_back(plain[60]); // one more than the folder holds now
    QVERIFY(mapindex::ListChangedMaps(dir, &plain) == mapindex::ListMaps(dir));

    // As on a share, where a first reading reads beside the listing's stats.
    QVERIFY(QDir(maps).mkdir(QStringLiteral("m300.fcw"))); // a row with an error
    plain = mapindex::ReadCollection({dir, false, nullptr, plainRead, 1, {}, {}}).rows;
    runtime::SetFixedIoDepth(64);
    const auto unfix = qScopeGuard([] { runtime::SetFixedIoDepth(0); });
    for (const unsigned jobs : {1u, 8u}) {
        QVERIFY(mapindex::ReadCollection({dir, false, nullptr, {}, jobs, {}, {}}).rows == plain);
        QVERIFY(mapindex::ReadCollection({dir, false, nullptr, {}, jobs, [] { return true; }, {}}).cancelled);
    }
    // A map gone between the listing and its read is no row, as a listing after would say.
    const mapindex::RecordReader goneAtItsRead = [&](const std::string &folder, const catalogue::ListedMap &map) {
        if (map.file == "m150.fcw")
            QFile::remove(maps + QStringLiteral("/m150.fcw"));
        return plainRead(folder, map);
    };
    const auto read = mapindex::ReadCollection({dir, false, nullptr, goneAtItsRead, 8, {}, {}});
    std::erase_if(plain, [](const mapindex::IndexRow &row) { return row.fileName == "m150.fcw"; });
    QVERIFY(read.rows == plain);
}

QTEST_MAIN(TestMapIndexReading)
#include "tst_mapindex_reading.moc"
