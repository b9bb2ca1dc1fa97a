// Map Index timings for bench/run (QBENCHMARK, offscreen).
//   mapindex-bench filterKeystroke -median 9   one keystroke on 20,000 rows
//   MAPINDEX_BENCH_DIR=DIR mapindex-bench firstOpening
//       one opening of DIR with no cache, until the table is full
//   MAPINDEX_BENCH_DIR=DIR mapindex-bench warmOpening
//       the same with the cache of an earlier opening: the cached rows fill
//       the table while the folder is checked for changes
//   MAPINDEX_BENCH_DIR=DIR mapindex-bench warmOpeningChecked
//       the same until the check for changes has ended
//   MAPINDEX_BENCH_DIR=DIR MAPINDEX_BENCH_TEXT=TEXT mapindex-bench tableContentSearch
//       one contents search from the table, once the rows are read
//   MAPINDEX_BENCH_DIR=DIR MAPINDEX_BENCH_TEXT=TEXT mapindex-bench keptContentKeystroke -median 9 -iterations 100
//       one keystroke in the contents field (Backspace, then the letter
//       again) to the narrowed table, both texts searched before
#include "content_field.h"
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
    void warmOpeningChecked(); // until the check for changes has ended
    void tableContentSearch();
    void keptContentKeystroke();

private:
    void warm(bool untilChecked);
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

// Opens the collection; the time is taken until the table is full (or,
// with untilChecked, until the check for changes has ended), and the check
// is waited for after it, so that the whole reading is in a count of the
// files opened.
void timedOpening(const catalogue::ProgramState &state, bool untilChecked = false)
{
    mapindex::IndexWindow window;
    QSignalSpy done(&window, &mapindex::IndexWindow::readingFinished);
    QSignalSpy filled(&window, &mapindex::IndexWindow::tableFilled);
    QBENCHMARK_ONCE
    {
        window.open(state);
        QVERIFY(filled.count() > 0 || filled.wait(600000));
        if (untilChecked)
            QVERIFY(done.count() > 0 || done.wait(600000));
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
    warm(false);
}

void BenchMapIndex::warmOpeningChecked()
{
    warm(true);
}

void BenchMapIndex::warm(bool untilChecked)
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
    timedOpening(state, untilChecked);
}

namespace {

// The window with every row read, and its contents field.
struct ReadTable {
    mapindex::IndexWindow window;
    mapindex::ContentField *contents = nullptr;

    bool open()
    {
        QSignalSpy done(&window, &mapindex::IndexWindow::readingFinished);
        window.show();
        window.open(benchState());
        contents = window.findChild<mapindex::ContentField *>();
        return contents != nullptr && done.wait(600000);
    }
    // Types text into the contents field and waits for the narrowed table.
    bool search(const QString &text) const
    {
        QSignalSpy ended(contents, &mapindex::ContentField::searchEnded);
        contents->setText(text);
        contents->searchNow();
        return ended.count() > 0 || ended.wait(600000);
    }
};

QString benchText()
{
    return QString::fromLocal8Bit(qgetenv("MAPINDEX_BENCH_TEXT"));
}

} // namespace

void BenchMapIndex::tableContentSearch()
{
    if (benchState().MapsDirectory.empty() || benchText().isEmpty())
        QSKIP("MAPINDEX_BENCH_DIR or MAPINDEX_BENCH_TEXT is not set");
    ReadTable table;
    QVERIFY(table.open());
    QBENCHMARK_ONCE
    {
        QVERIFY(table.search(benchText()));
    }
    qInfo("%d of %d maps hold the text", table.window.model().rowCount(), table.window.model().totalCount());
}

void BenchMapIndex::keptContentKeystroke()
{
    const QString text = benchText();
    if (benchState().MapsDirectory.empty() || text.size() < 2)
        QSKIP("MAPINDEX_BENCH_DIR or MAPINDEX_BENCH_TEXT (two letters at least) is not set");
    ReadTable table;
    QVERIFY(table.open());
    QVERIFY(table.search(text.chopped(1)));
    QVERIFY(table.search(text));
    table.contents->setFocus();
    bool shorter = true;
    QBENCHMARK
    {
        // A kept text narrows the table before the key press returns.
        QSignalSpy ended(table.contents, &mapindex::ContentField::searchEnded);
        if (shorter)
            QTest::keyClick(table.contents, Qt::Key_Backspace);
        else
            QTest::keyClicks(table.contents, text.right(1));
        QCOMPARE(ended.count(), 1);
        shorter = !shorter;
    }
}

QTEST_MAIN(BenchMapIndex)
#include "mapindex_bench.moc"
