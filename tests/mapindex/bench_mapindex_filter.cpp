// One filter keystroke on 20,000 rows. Run: bench_mapindex_filter -median 9
#include "index_model.h"

#include <QTest>

class BenchMapIndexFilter final : public QObject {
    Q_OBJECT

private slots:
    void filterKeystroke();
};

void BenchMapIndexFilter::filterKeystroke()
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

QTEST_MAIN(BenchMapIndexFilter)
#include "bench_mapindex_filter.moc"
