// Map Index timings, not part of ctest.
//   bench_mapindex filterKeystroke -median 9   one keystroke on 20,000 rows
//   MAPINDEX_BENCH_DIR=DIR bench_mapindex openCollection
//       one opening of DIR until the table is full; with XDG_CACHE_HOME
//       emptied first it is a first opening, run again it is a warm one
#include "index_model.h"
#include "index_window.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

class BenchMapIndex final : public QObject {
    Q_OBJECT

private slots:
    void filterKeystroke();
    void openCollection();
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
    QBENCHMARK {
        model.setFilterText(longer ? QStringLiteral("koln dung") : QStringLiteral("koln dun"));
        longer = !longer;
    }
    QVERIFY(model.rowCount() > 0);
}

void BenchMapIndex::openCollection()
{
    const QByteArray dir = qgetenv("MAPINDEX_BENCH_DIR");
    if (dir.isEmpty())
        QSKIP("MAPINDEX_BENCH_DIR is not set");
    catalogue::ProgramState state;
    state.MapsDirectory = dir.toStdString();
    mapindex::IndexWindow window;
    QBENCHMARK_ONCE {
        QSignalSpy done(&window, &mapindex::IndexWindow::readingFinished);
        window.open(state);
        QVERIFY(done.wait(600000));
    }
    qInfo("%d maps", window.model().totalCount());
}

QTEST_MAIN(BenchMapIndex)
#include "bench_mapindex.moc"
