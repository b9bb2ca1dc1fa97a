#include "mapindex_fixture.h"

#include "content_filter.h"
#include "row_order.h"
#include "view_settings.h"

#include "ErrorReport.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <filesystem>

using mitest::Session;

class TestMapIndexSubfolders final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void subfolderRowsOpenExportAndSearch();
    void emptyFolderOffersItsSubfolders();
};

namespace {

// maps/T.fcw, a/A.fcw, a/deep/D.fcw, b/B.fcw, and a link from a back up to maps.
QString makeTree()
{
    const QString maps = uitest::makeTempDir();
    for (const char *folder : {"a/deep", "b"})
        std::filesystem::create_directories(mitest::bytes(maps + QChar(u'/') + QLatin1String(folder)));
    mitest::writeFile(maps + QStringLiteral("/T.fcw"), "Map Name: Top\r");
    mitest::writeFile(maps + QStringLiteral("/a/A.fcw"), "Map Name: Upper\r");
    mitest::writeFile(maps + QStringLiteral("/a/deep/D.fcw"), "Map Name: Deepest\rcave troll\r");
    mitest::writeFile(maps + QStringLiteral("/b/B.fcw"), "Map Name: Beach\r");
    std::filesystem::create_directory_symlink("..", mitest::bytes(maps + QStringLiteral("/a/up")));
    return maps;
}

QAction *subfolders(const Session &session)
{
    return session.window.findChild<QAction *>(QStringLiteral("includeSubfolders"));
}

// Turns the option over and waits for the reading it starts.
void toggle(Session &session)
{
    QSignalSpy done(&session.window, &mapindex::IndexWindow::readingFinished);
    session.reads = 0;
    subfolders(session)->trigger();
    QVERIFY(done.wait(30000));
}

} // namespace

void TestMapIndexSubfolders::initTestCase()
{
    qputenv("XDG_CACHE_HOME", QFile::encodeName(uitest::makeTempDir()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(uitest::makeTempDir()));
    ui::SetMessageRecorder([](const ui::ShownMessage &message) { qWarning() << "box:" << message.text; });
}

void TestMapIndexSubfolders::subfolderRowsOpenExportAndSearch()
{
    const QString maps = makeTree();
    const QString record = uitest::makeTempDir() + QStringLiteral("/arguments.txt");
    const QString viewer = uitest::makeTempDir() + QStringLiteral("/viewer.sh");
    mitest::writeFile(viewer, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + QFile::encodeName(record) + "'\n");
    QFile::setPermissions(viewer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    {
        Session session(maps, viewer);
        session.read();
        const auto *table = session.window.findChild<QTableView *>(QStringLiteral("table"));
        QCOMPARE(session.model().totalCount(), 1);
        QVERIFY(table->isColumnHidden(mapindex::FolderColumn));

        toggle(session);
        QCOMPARE(session.column(mapindex::MapNameColumn),
                 QStringLiteral("Top Upper Deepest Beach").split(u' ')); // depth first, the link not followed
        QCOMPARE(session.column(mapindex::FolderColumn), QStringLiteral(",a,a/deep,b").split(u','));
        QVERIFY(!table->isColumnHidden(mapindex::FolderColumn));
        QCOMPARE(session.model().headerData(mapindex::FolderColumn, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("Folder"));

        // Exported as index --recursive writes it.
        const QString out = uitest::makeTempDir() + QStringLiteral("/out.tsv");
        session.window.setExportPicker([&](QWidget *, const QString &) { return std::optional(out); });
        session.window.findChild<QAction *>(QStringLiteral("export"))->trigger();
        QCOMPARE(mitest::readFile(out),
                 QByteArray("entry\tfolder\tmap name\tmap type\tproduct\tpage number\n"
                            "T\t\tTop\t\t\t\nA\ta\tUpper\t\t\t\nD\ta/deep\tDeepest\t\t\t\n"
                            "B\tb\tBeach\t\t\t\n"));

        // The contents search and the viewer find a subfolder's map.
        const auto match = mapindex::FindRowsContaining(mitest::bytes(maps), session.model().sharedRows(),
                                                        QStringLiteral("cave troll"), {}, 2, {});
        QCOMPARE(match.holds, (std::vector<bool>{false, false, true, false}));
        auto *filter = session.window.findChild<QLineEdit *>(QStringLiteral("filter"));
        filter->setText(QStringLiteral("deepest"));
        QTest::keyClick(filter, Qt::Key_Return);
        QTest::keyClick(session.window.findChild<QTableView *>(QStringLiteral("table")), Qt::Key_Return);
        QTRY_COMPARE(mitest::readFile(record), QFile::encodeName(maps + QStringLiteral("/a/deep/D.fcw\n")));
        session.window.close();
    }

    // Kept for this folder, with a cache of the whole tree; other folders start without.
    Session again(maps);
    again.read();
    QVERIFY(subfolders(again)->isChecked());
    QCOMPARE(again.model().totalCount(), 4);
    QCOMPARE(again.reads.load(), 0);
    QVERIFY(!mapindex::IncludesSubfolders(mitest::bytes(uitest::makeTempDir())));
}

void TestMapIndexSubfolders::emptyFolderOffersItsSubfolders()
{
    const QString maps = makeTree();
    QVERIFY(QFile::remove(maps + QStringLiteral("/T.fcw")));
    Session session(maps);
    session.read();
    const auto *placeholder = session.window.findChild<QLabel *>(QStringLiteral("placeholder"));
    auto *offer = session.window.findChild<QPushButton *>(QStringLiteral("placeholderOffer"));
    QVERIFY(!placeholder->isHidden());
    QCOMPARE(placeholder->text(), QStringLiteral("No *.fcw maps in ") + maps);
    QVERIFY(!offer->isHidden());

    QSignalSpy done(&session.window, &mapindex::IndexWindow::readingFinished);
    offer->click();
    QVERIFY(done.wait(30000));
    QVERIFY(placeholder->isHidden());
    QCOMPARE(session.model().totalCount(), 3);
    QVERIFY(mapindex::IncludesSubfolders(mitest::bytes(maps)));

    // Nothing below either: nothing to offer.
    Session empty(uitest::makeTempDir());
    empty.read();
    QVERIFY(empty.window.findChild<QPushButton *>(QStringLiteral("placeholderOffer"))->isHidden());
}

QTEST_MAIN(TestMapIndexSubfolders)
#include "tst_mapindex_subfolders.moc"
