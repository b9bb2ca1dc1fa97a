#include "row_filter.h"
#include "row_text.h"

#include <QTest>

using mapindex::IndexRow;

namespace {

IndexRow row(const std::string &file, const std::string &entry, std::array<std::optional<std::string>, 4> values,
             const std::string &folder = {})
{
    IndexRow r;
    r.fileName = file;
    r.entry = entry;
    r.folder = folder;
    r.values = std::move(values);
    return r;
}

// Two maps listed alike, told apart by their files; values in Windows-1252.
const std::vector<IndexRow> &rows()
{
    static const std::vector<IndexRow> all = {
        row("Crypt.Level.1.fcw", "Crypt", {"Realm Vol 2 Crypt", "Cave", "Realm vol 2", "12"}),
        row("Crypt.Level.2.fcw", "Crypt", {"Crypt", "Dungeon", "Realm vol 12", "2"}),
        row("K\xf6ln.fcw", "K\xf6ln", {"Harbour", "City", "Atlas - West", "120"}, "west/side"),
        row("vol.fcw", "Vol", {"Realm 2", "Cave:Deep", "Other", std::nullopt}),
    };
    return all;
}

} // namespace

class TestMapIndexFilter final : public QObject {
    Q_OBJECT

private slots:
    void keepsMatchingRows_data();
    void keepsMatchingRows();
};

void TestMapIndexFilter::keepsMatchingRows_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("files"); // the kept rows' files without ".fcw", space-separated
    QTest::newRow("bare words, each anywhere")
        << QStringLiteral("realm vol 2") << QStringLiteral("Crypt.Level.1 Crypt.Level.2 vol");
    QTest::newRow("words in two columns") << QStringLiteral("cave 12") << QStringLiteral("Crypt.Level.1");
    QTest::newRow("phrase") << QStringLiteral("\"realm vol 2\"") << QStringLiteral("Crypt.Level.1");
    QTest::newRow("phrase never spans columns") << QStringLiteral("\"crypt cave\"") << QString();
    QTest::newRow("qualified phrase") << QStringLiteral("product:\"realm vol 2\"") << QStringLiteral("Crypt.Level.1");
    QTest::newRow("qualified word") << QStringLiteral("type:cave") << QStringLiteral("Crypt.Level.1 vol");
    QTest::newRow("page within its column")
        << QStringLiteral("page:12") << QString::fromLatin1("Crypt.Level.1 K\xf6ln");
    QTest::newRow("file") << QStringLiteral("file:level.2") << QStringLiteral("Crypt.Level.2");
    QTest::newRow("map, qualifier and accent folded") << QStringLiteral("MAP:KÖLN") << QString::fromLatin1("K\xf6ln");
    QTest::newRow("map is the entry only") << QStringLiteral("map:harbour") << QString();
    QTest::newRow("name") << QStringLiteral("name:crypt") << QStringLiteral("Crypt.Level.1 Crypt.Level.2");
    QTest::newRow("folder") << QStringLiteral("folder:side") << QString::fromLatin1("K\xf6ln");
    QTest::newRow("unknown qualifier is a word") << QStringLiteral("cave:deep") << QStringLiteral("vol");
    QTest::newRow("excluded word") << QStringLiteral("-cave") << QString::fromLatin1("Crypt.Level.2 K\xf6ln");
    QTest::newRow("excluded qualifier") << QStringLiteral("realm -type:cave") << QStringLiteral("Crypt.Level.2");
    QTest::newRow("excluded phrase") << QStringLiteral("-\"realm vol\"") << QString::fromLatin1("K\xf6ln vol");
    QTest::newRow("lone dash is a word") << QStringLiteral("- atlas") << QString::fromLatin1("K\xf6ln");
    QTest::newRow("unclosed quote runs to the end")
        << QStringLiteral("name:\"realm vol 2 cr") << QStringLiteral("Crypt.Level.1");
    QTest::newRow("qualifier alone asks nothing yet")
        << QStringLiteral("product: \"\"") << QString::fromLatin1("Crypt.Level.1 Crypt.Level.2 K\xf6ln vol");
}

void TestMapIndexFilter::keepsMatchingRows()
{
    QFETCH(QString, typed);
    QFETCH(QString, files);
    const mapindex::RowFilter filter = mapindex::ParseFilter(typed);
    QStringList kept;
    for (const IndexRow &r : rows())
        if (mapindex::RowMatches(mapindex::FilterText(r), filter))
            kept << QString::fromLatin1(r.fileName.substr(0, r.fileName.size() - 4));
    QCOMPARE(kept.join(u' '), files);
}

QTEST_APPLESS_MAIN(TestMapIndexFilter)
#include "tst_mapindex_filter.moc"
