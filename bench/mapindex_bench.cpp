// Map Index timings for bench/run (QBENCHMARK, offscreen).
//   mapindex-bench filterKeystroke -median 9   one keystroke on 20,000 rows
//   MAPINDEX_BENCH_DIR=DIR mapindex-bench firstOpening
//       one opening of DIR with no cache, until the table is full
//   MAPINDEX_BENCH_DIR=DIR mapindex-bench warmOpening
//       the same with the cache of an earlier opening: the cached rows fill
//       the table while the folder is checked for changes
#include "index_cache.h"
#include "index_model.h"
#include "index_window.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

class BenchMapIndex final : public QObject {
    Q_OBJECT

private slots:
    void filterKeystroke();
    void firstOpening();
    void warmOpening();
};

void BenchMapIndex::filterKeystroke()
{
    std::vector<mapindex::IndexRow> rows(20000);
    const char *types[] = {"Dungeon", "City", "Overland", "Cavern"};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].entry = "Map " + std::to_string(i);
        rows[i].fileName = rows[i].entry + ".fcw";
        rows[i].values = {"K\xf6ln Quarter " + std::to_string(i * 7), std::string(types[i % 4]),
                          "Thalmarch Atlas vol. " + std::to_string(i % 13), std::to_string(i % 300)};
    }
    mapindex::IndexModel model;
    model.setRows(std::move(rows));
    model.setFilterText(QStringLiteral("koln dun"));
    bool longer = true;
    QBENCHMARK
    {
        model.setFilterText(longer ? QStringLiteral("koln dung") : QStringLiteral("koln dun"));
        longer = !longer;
    }
    QVERIFY(model.rowCount() > 0);
}

namespace {

catalogue::ProgramState benchState()
{
    catalogue::ProgramState state;
    state.MapsDirectory = qgetenv("MAPINDEX_BENCH_DIR").toStdString();
    return state;
}

// Opens the collection; the time is taken until the table is full, and the
// check for changes is waited for after it, so that the whole reading is in
// a count of the files opened.
void timedOpening(const catalogue::ProgramState &state)
{
    mapindex::IndexWindow window;
    QSignalSpy done(&window, &mapindex::IndexWindow::readingFinished);
    QSignalSpy filled(&window, &mapindex::IndexWindow::tableFilled);
    QBENCHMARK_ONCE
    {
        window.open(state);
        QVERIFY(filled.count() > 0 || filled.wait(600000));
    }
    QVERIFY(done.count() > 0 || done.wait(600000));
    qInfo("%d maps", window.model().totalCount());
}

} // namespace

void BenchMapIndex::firstOpening()
{
    const catalogue::ProgramState state = benchState();
    if (state.MapsDirectory.empty())
        QSKIP("MAPINDEX_BENCH_DIR is not set");
    // QtTest may run a benchmark more than once: each run starts without a cache.
    QFile::remove(mapindex::CacheFilePath(state.MapsDirectory));
    timedOpening(state);
}

void BenchMapIndex::warmOpening()
{
    const catalogue::ProgramState state = benchState();
    if (state.MapsDirectory.empty())
        QSKIP("MAPINDEX_BENCH_DIR is not set");
    if (!QFile::exists(mapindex::CacheFilePath(state.MapsDirectory))) {
        mapindex::IndexWindow window;
        QSignalSpy done(&window, &mapindex::IndexWindow::readingFinished);
        window.open(state);
        QVERIFY(done.wait(600000));
    }
    timedOpening(state);
}

QTEST_MAIN(BenchMapIndex)
#include "mapindex_bench.moc"
