// Map Index on real storage: a full disk, two windows on one folder, rows
// that would leave the tree, and a last folder that is gone.
#include "mapindex_fixture.h"

#include "cache_file.h"
#include "settings_file.h"
#include "view_settings.h"

#include "ErrorReport.h"
#include "changes.h"

#include "runtime/file_lock.h"

#include <QDir>
#include <QLabel>
#include <QSettings>

#include <sched.h>
#include <sys/mount.h>

class TestMapIndexStorage final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void fullDiskKeepsTheOldCache();
    void marksWaitForRoomOnTheDisk();
    void fullDiskKeepsTheSettings();
    void twoWindowsAgreeOnTheMarks();
    void aLockedCacheIsSavedLater();
    void rowsLeavingTheTreeAreRejected_data();
    void rowsLeavingTheTreeAreRejected();
    void exportOnAFullDiskNamesTheFile();
    void oneMapIsCountedAsOne();
    void openFolderStartsInAFolderThatIsThere();

private:
    QString cacheHome_;
    bool mounted_ = false;
};

namespace {

using mapindex::Change;

mapindex::IndexRow rowOf(const std::string &fileName, Change change, std::int64_t changedNs = 1)
{
    mapindex::IndexRow row;
    row.fileName = fileName;
    row.entry = fileName.substr(0, fileName.find('.'));
    row.size = 10;
    row.stamp.changedNs = changedNs;
    row.change = change;
    return row;
}

mapindex::ChangeNote removal(const std::string &fileName)
{
    return {Change::Removed, fileName.substr(0, fileName.find('.')), fileName};
}

// Fills the file system of folder to the last byte.
void fill(const QString &folder)
{
    QFile filler(folder + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray page(4096, 'f');
    while (filler.write(page) == page.size()) {}
}

} // namespace

void TestMapIndexStorage::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(uitest::makeTempDir()));
    cacheHome_ = uitest::makeTempDir();
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cacheHome_));
    // A small file system of this process's own, where one is allowed.
    mounted_ = ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
        && ::mount("tmpfs", QFile::encodeName(cacheHome_).constData(), "tmpfs", 0, "size=256k") == 0;
}

void TestMapIndexStorage::cleanup()
{
    QFile::remove(cacheHome_ + QStringLiteral("/filler")); // left by a failed test, it would fail the next
}

void TestMapIndexStorage::cleanupTestCase()
{
    if (mounted_)
        ::umount2(QFile::encodeName(cacheHome_).constData(), MNT_DETACH);
}

void TestMapIndexStorage::fullDiskKeepsTheOldCache()
{
    if (!mounted_)
        QSKIP("cannot mount a small file system");
    mapindex::CacheFile cache(mapindex::CacheKey("/maps/full", false));
    const QString path = mapindex::CacheFilePath(cache.key());
    std::vector<mapindex::IndexRow> rows{rowOf("a.fcw", Change::New), rowOf("b.fcw", Change::Changed)};
    QVERIFY(!cache.save({rows, {}}).error);
    const QByteArray old = mitest::readFile(path);
    fill(cacheHome_);
    const auto saved = cache.save({mapindex::MarkedAsSeen(rows), {}});
    QCOMPARE(mitest::readFile(path).size(), old.size());
    QVERIFY(mitest::readFile(path) == old);
    QCOMPARE(QString::fromStdString(saved.error.value_or("saved")),
             QFile::decodeName(path.toUtf8()) + QStringLiteral(": Disk full."));
    QVERIFY(cache.owed());
    QFile::remove(cacheHome_ + QStringLiteral("/filler"));
}

void TestMapIndexStorage::marksWaitForRoomOnTheDisk()
{
    if (!mounted_)
        QSKIP("cannot mount a small file system");
    const QString maps = mitest::makeDemoMaps();
    mitest::Session session(maps);
    session.read();
    QVERIFY(QFile::copy(maps + QStringLiteral("/Harbour.fcw"), maps + QStringLiteral("/New Port.fcw")));
    session.read(true);
    const QString path = mapindex::CacheFilePath(mapindex::CacheKey(session.state.MapsDirectory, false));
    const QByteArray old = mitest::readFile(path);
    fill(cacheHome_);
    session.window.findChild<QAction *>(QStringLiteral("markSeen"))->trigger();
    QVERIFY(session.window.changes().empty());
    const auto status = [&] { return session.window.findChild<QLabel *>(QStringLiteral("status"))->text(); };
    const QString notSaved = QStringLiteral("; the marks could not be saved: %1: Disk full. They are kept").arg(path);
    QVERIFY2(status().contains(notSaved), qPrintable(status()));
    // The reading's own save fails the same way.
    QVERIFY(QFile::copy(maps + QStringLiteral("/Harbour.fcw"), maps + QStringLiteral("/Old Port.fcw")));
    session.read(true);
    QVERIFY2(status().contains(notSaved), qPrintable(status()));
    QVERIFY(mitest::readFile(path) == old);

    // With room again, the next reading saves them, though no map changed.
    QVERIFY(QFile::remove(cacheHome_ + QStringLiteral("/filler")));
    session.read(true);
    const auto saved = mapindex::LoadCache(path, mapindex::CacheKey(session.state.MapsDirectory, false));
    QVERIFY(saved && saved->removed.empty());
    QCOMPARE(std::count_if(saved->rows.begin(), saved->rows.end(),
                           [](const auto &row) { return row.change != Change::None; }),
             1);
    QCOMPARE(saved->rows.size(), session.model().rows().size());
    QVERIFY(!status().contains(QStringLiteral("could not be saved")));
}

void TestMapIndexStorage::fullDiskKeepsTheSettings()
{
    if (!mounted_)
        QSKIP("cannot mount a small file system");
    const QString path = cacheHome_ + QStringLiteral("/config/map-index.conf");
    QStringList errors;
    mapindex::SetSettingsErrorSink([&](const QString &why) { errors << why; });
    const auto set = [&](const QString &key, int size) {
        mapindex::ChangeSettings(path, [&](QSettings &settings) { settings.setValue(key, QByteArray(size, 'x')); });
    };
    set(QStringLiteral("a"), 3000);
    QCOMPARE(errors, QStringList());
    const QByteArray old = mitest::readFile(path);
    // Room for QSettings' lock file but not for the file itself: Qt's own
    // save then put an empty file in its place and said nothing.
    fill(cacheHome_);
    QFile filler(cacheHome_ + QStringLiteral("/filler"));
    QVERIFY(filler.resize(filler.size() - 4096));
    set(QStringLiteral("b"), 2000);
    QCOMPARE(mitest::readFile(path).size(), old.size());
    QVERIFY(mitest::readFile(path) == old);
    QCOMPARE(errors, QStringList(path + QStringLiteral(": The settings could not be written.")));
    QVERIFY(filler.remove());
    set(QStringLiteral("b"), 2000);
    QCOMPARE(QSettings(path, QSettings::IniFormat).value(QStringLiteral("b")).toByteArray().size(), 2000);
    QCOMPARE(QDir(cacheHome_ + QStringLiteral("/config")).entryList(QDir::Files),
             QStringList(QStringLiteral("map-index.conf")));

    // Reopening the latest folder writes nothing, so the full disk has
    // nothing to say; another folder is still noted, and its failure said.
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(cacheHome_ + QStringLiteral("/config")));
    mapindex::NoteFolderOpened("/maps/latest");
    errors.clear();
    fill(cacheHome_);
    mapindex::NoteFolderOpened("/maps/latest");
    QCOMPARE(errors, QStringList());
    mapindex::NoteFolderOpened("/maps/other");
    QCOMPARE(errors.size(), 1);
    QCOMPARE(mapindex::RecentFolders(), std::vector<std::string>{"/maps/latest"});
    QVERIFY(filler.remove());
    qputenv("XDG_CONFIG_HOME", configHome);
    mapindex::SetSettingsErrorSink({});
}

// Window A marks every map as seen; window B, on the same folder since
// before, saves its older marks. A cleared mark stays cleared unless its
// map changed again.
void TestMapIndexStorage::twoWindowsAgreeOnTheMarks()
{
    const std::string key = mapindex::CacheKey("/maps/shared", false);
    mapindex::CacheFile first(key);
    QVERIFY(!first
                 .save({{rowOf("a.fcw", Change::New), rowOf("b.fcw", Change::Changed), rowOf("c.fcw", Change::None)},
                        {removal("gone.fcw")}})
                 .error);
    mapindex::CacheFile a(key);
    mapindex::CacheFile b(key);
    const std::optional<mapindex::CachedIndex> shown = a.load();
    QVERIFY(shown && b.load() == shown);

    QVERIFY(!a.save({mapindex::MarkedAsSeen(shown->rows), {}}).error);
    // B's reading found c changed after that, and a map new to it.
    const mapindex::CacheSave saved = b.save({{rowOf("a.fcw", Change::New), rowOf("b.fcw", Change::Changed),
                                               rowOf("c.fcw", Change::Changed, 2), rowOf("d.fcw", Change::New)},
                                              {removal("gone.fcw")}});
    QVERIFY(!saved.error);
    QVERIFY(saved.tookTheirs);
    const mapindex::CachedIndex expected{{rowOf("a.fcw", Change::None), rowOf("b.fcw", Change::None),
                                          rowOf("c.fcw", Change::Changed, 2), rowOf("d.fcw", Change::New)},
                                         {}};
    QVERIFY(saved.index == expected);
    QVERIFY(mapindex::CacheFile(key).load() == expected);

    // A marks all as seen again, knowing nothing of d: d's mark goes too, as
    // the user saw it in A after B had saved it.
    const mapindex::CacheSave again = a.save({mapindex::MarkedAsSeen(shown->rows), {}});
    QCOMPARE(again.index.rows.size(), std::size_t(4));
    QVERIFY(again.tookTheirs);
}

void TestMapIndexStorage::aLockedCacheIsSavedLater()
{
    mapindex::CacheFile cache(mapindex::CacheKey("/maps/locked", false));
    const QString path = mapindex::CacheFilePath(cache.key());
    QVERIFY(!cache.save({{rowOf("a.fcw", Change::New)}, {}}).error);
    const QByteArray old = mitest::readFile(path);
    {
        const auto held = runtime::FileLock::Take(QFile::encodeName(path).toStdString() + ".lock", {});
        QVERIFY(held.held());
        const mapindex::CacheSave saved = cache.save({{rowOf("a.fcw", Change::None)}, {}});
        QCOMPARE(saved.error.value_or("saved"), std::string("Another Map Index is saving them."));
        QVERIFY(mitest::readFile(path) == old);
        QVERIFY(cache.owed());
    }
    QVERIFY(!cache.save({{rowOf("a.fcw", Change::None)}, {}}).error);
    QVERIFY(!cache.owed());
}

void TestMapIndexStorage::rowsLeavingTheTreeAreRejected_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("loaded");
    QTest::newRow("below") << QStringLiteral("a/b") << QStringLiteral("x.fcw") << true;
    QTest::newRow("up and out") << QStringLiteral("../../../etc") << QStringLiteral("x.fcw") << false;
    QTest::newRow("up inside a path") << QStringLiteral("a/../../b") << QStringLiteral("x.fcw") << false;
    QTest::newRow("absolute") << QStringLiteral("/etc") << QStringLiteral("x.fcw") << false;
    QTest::newRow("a name that is a path") << QString() << QStringLiteral("../x.fcw") << false;
    QTest::newRow("an empty name") << QStringLiteral("a//b") << QStringLiteral("x.fcw") << false;
    QTest::newRow("removed map up and out") << QString() << QStringLiteral("removed:../x.fcw") << false;
}

void TestMapIndexStorage::rowsLeavingTheTreeAreRejected()
{
    QFETCH(QString, folder);
    QFETCH(QString, fileName);
    QFETCH(bool, loaded);
    mapindex::CachedIndex index{{rowOf("x.fcw", Change::None)}, {}};
    index.rows[0].folder = folder.toStdString();
    if (fileName.startsWith(QStringLiteral("removed:")))
        index.removed.push_back(removal(fileName.mid(8).toStdString()));
    else
        index.rows[0].fileName = fileName.toStdString();
    QCOMPARE(mapindex::ParseCache(mapindex::CacheBytes("/maps", index), "/maps").has_value(), loaded);
}

void TestMapIndexStorage::exportOnAFullDiskNamesTheFile()
{
    mitest::Session session(mitest::makeDemoMaps());
    session.read();
    std::vector<ui::ShownMessage> shown;
    ui::SetMessageRecorder([&](const ui::ShownMessage &message) { shown.push_back(message); });
    session.window.setExportPicker([](QWidget *, const QString &, int) {
        return std::optional(mapindex::ExportChoice{QStringLiteral("/dev/full")});
    });
    session.window.findChild<QAction *>(QStringLiteral("export"))->trigger();
    ui::SetMessageRecorder({});
    QCOMPARE(shown.size(), std::size_t(1));
    QCOMPARE(shown[0].text, QStringLiteral("/dev/full: Disk full."));
}

void TestMapIndexStorage::oneMapIsCountedAsOne()
{
    const QString maps = uitest::makeTempDir();
    QVERIFY(
        QFile::copy(mitest::makeDemoMaps() + QStringLiteral("/Harbour.fcw"), maps + QStringLiteral("/Harbour.fcw")));
    mitest::Session session(maps);
    session.read();
    QCOMPARE(session.window.findChild<QLabel *>(QStringLiteral("status"))->text(), QStringLiteral("1 of 1 map"));
}

void TestMapIndexStorage::openFolderStartsInAFolderThatIsThere()
{
    const QString top = uitest::makeTempDir();
    const QString gone = top + QStringLiteral("/disk/maps");
    QVERIFY(QDir().mkpath(gone));
    mapindex::IndexWindow window;
    window.openFolder(mitest::bytes(gone));
    std::vector<std::string> starts;
    window.setFolderPicker([&](QWidget *, const std::string &start) {
        starts.push_back(start);
        return std::optional<std::string>();
    });
    window.chooseFolder();
    QVERIFY(QDir(top + QStringLiteral("/disk")).removeRecursively());
    window.chooseFolder();
    QCOMPARE(starts, (std::vector{mitest::bytes(gone), mitest::bytes(top)}));
}

QTEST_MAIN(TestMapIndexStorage)
#include "tst_mapindex_storage.moc"
