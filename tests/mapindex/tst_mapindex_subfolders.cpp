#include "mapindex_fixture.h"

#include "content_filter.h"
#include "row_order.h"
#include "view_settings.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QThread>

#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using mitest::Session;

class TestMapIndexSubfolders final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void subfolderRowsOpenExportAndSearch();
    void emptyFolderOffersItsSubfolders();
    void folderOpenedDuringAReadingIsRead();
    void unreadableSubfolderKeepsItsRows();
};

// Set in the copy of this test that runs as "nobody", so that root, who may
// read every folder, sees a folder's permissions as a user does.
constexpr char UnprivilegedVariable[] = "MAPINDEX_UNPRIVILEGED";

// Runs one test function of this program as "nobody": its exit status, or 77
// when there is no such user.
static int runAsNobody(const char *function)
{
    const passwd *nobody = ::getpwnam("nobody");
    if (!nobody)
        return 77;
    const QByteArray self = QFile::encodeName(QCoreApplication::applicationFilePath());
    qputenv(UnprivilegedVariable, "1");
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) == 0 && ::setgid(nobody->pw_gid) == 0 && ::setuid(nobody->pw_uid) == 0)
            ::execl(self.constData(), self.constData(), function, static_cast<char *>(nullptr));
        ::_exit(77);
    }
    qunsetenv(UnprivilegedVariable);
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// T.fcw, a/A.fcw, a/deep/D.fcw, b/B.fcw, and a link from a back up to the top.
static QString makeTree()
{
    QString maps = uitest::makeTempDir();
    std::filesystem::create_directories(mitest::bytes(maps + QStringLiteral("/a/deep")));
    std::filesystem::create_directories(mitest::bytes(maps + QStringLiteral("/b")));
    for (const char *map : {"T Top", "a/A Upper", "a/deep/D Deepest\rcave troll", "b/B Beach"}) {
        const QString text = QString::fromLatin1(map);
        mitest::writeFile(maps + u'/' + text.section(u' ', 0, 0) + QStringLiteral(".fcw"),
                          "Map Name: " + text.section(u' ', 1).toLatin1() + '\r');
    }
    std::filesystem::create_directory_symlink("..", mitest::bytes(maps + QStringLiteral("/a/up")));
    return maps;
}

void TestMapIndexSubfolders::initTestCase()
{
    qputenv("XDG_CACHE_HOME", QFile::encodeName(uitest::makeTempDir()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(uitest::makeTempDir()));
}

void TestMapIndexSubfolders::subfolderRowsOpenExportAndSearch()
{
    const QString maps = makeTree();
    const QString record = uitest::makeTempDir() + QStringLiteral("/arguments.txt");
    const QString viewer = uitest::makeTempDir() + QStringLiteral("/viewer.sh");
    mitest::writeFile(viewer, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + QFile::encodeName(record) + "'\n");
    QFile::setPermissions(viewer, QFile::ReadOwner | QFile::ExeOwner);
    {
        Session session(maps, viewer);
        session.read();
        auto *table = session.window.findChild<QTableView *>(QStringLiteral("table"));
        QVERIFY(table->isColumnHidden(mapindex::FolderColumn));

        QSignalSpy done(&session.window, &mapindex::IndexWindow::readingFinished);
        session.window.findChild<QAction *>(QStringLiteral("includeSubfolders"))->trigger();
        QVERIFY(done.wait(30000)); // depth first, the link not followed
        QCOMPARE(session.column(mapindex::MapNameColumn), QStringLiteral("Top Upper Deepest Beach").split(u' '));
        QCOMPARE(session.column(mapindex::FolderColumn), QStringLiteral(",a,a/deep,b").split(u','));
        QVERIFY(!table->isColumnHidden(mapindex::FolderColumn));

        const QString out = uitest::makeTempDir() + QStringLiteral("/out.tsv"); // as index --recursive writes it
        session.window.setExportPicker(
            [&](QWidget *, const QString &, int) { return std::optional(mapindex::ExportChoice{out}); });
        session.window.findChild<QAction *>(QStringLiteral("export"))->trigger();
        QVERIFY(mitest::readFile(out).contains("\nD\ta/deep\tDeepest\t\t\t\ta/deep/D.fcw\n"));
        // Hidden from View › Columns (as opened), it stays hidden through another reading and is not written.
        emit session.window.findChild<QMenu *>(QStringLiteral("columnsMenu"))->aboutToShow();
        session.window.findChild<QAction *>(QStringLiteral("showColumn%1").arg(mapindex::FolderColumn))->trigger();
        session.read();
        QVERIFY(table->isColumnHidden(mapindex::FolderColumn));
        session.window.findChild<QAction *>(QStringLiteral("export"))->trigger();
        QVERIFY(mitest::readFile(out).contains("\nD\tDeepest\t\t\t\ta/deep/D.fcw\n"));

        // The contents search and the viewer find a subfolder's map.
        const auto match = mapindex::FindRowsContaining(mitest::bytes(maps), session.model().sharedRows(),
                                                        QStringLiteral("cave troll"), {}, 2, {});
        QCOMPARE(match.holds, (std::vector<bool>{false, false, true, false}));
        auto *filter = session.window.findChild<QLineEdit *>(QStringLiteral("filter"));
        filter->setText(QStringLiteral("deepest"));
        QTest::keyClick(filter, Qt::Key_Return);
        QTest::keyClick(table, Qt::Key_Return);
        QTRY_COMPARE(mitest::readFile(record), QFile::encodeName(maps + QStringLiteral("/a/deep/D.fcw\n")));
    }

    // Kept for this folder, read from a cache of the whole tree.
    Session again(maps);
    again.read();
    QVERIFY(again.window.findChild<QAction *>(QStringLiteral("includeSubfolders"))->isChecked());
    QCOMPARE(again.model().totalCount(), 4);
    QCOMPARE(again.reads(), 0);
}

void TestMapIndexSubfolders::emptyFolderOffersItsSubfolders()
{
    const QString maps = makeTree();
    QVERIFY(QFile::remove(maps + QStringLiteral("/T.fcw")));
    Session session(maps);
    session.read();
    const auto *placeholder = session.window.findChild<QLabel *>(QStringLiteral("placeholder"));
    auto *offer = session.window.findChild<QPushButton *>(QStringLiteral("placeholderOffer"));
    QCOMPARE(placeholder->text(), QStringLiteral("No *.fcw maps in ") + maps);
    QVERIFY(!placeholder->isHidden() && !offer->isHidden());

    QSignalSpy done(&session.window, &mapindex::IndexWindow::readingFinished);
    offer->click();
    QVERIFY(done.wait(30000));
    QCOMPARE(session.model().totalCount(), 3);

    Session empty(uitest::makeTempDir()); // nothing below either: nothing to offer
    empty.read();
    QVERIFY(empty.window.findChild<QPushButton *>(QStringLiteral("placeholderOffer"))->isHidden());
}

void TestMapIndexSubfolders::folderOpenedDuringAReadingIsRead()
{
    Session session(mitest::makeDemoMaps());
    session.window.loader().setRecordReader([](const std::string &dir, const catalogue::ListedMap &map) {
        QThread::msleep(50); // still reading when the next folder is chosen
        return catalogue::ReadIndexRecord(dir, map);
    });
    QSignalSpy done(&session.window, &mapindex::IndexWindow::readingFinished);
    session.window.open(session.state);
    session.window.openFolder(mitest::bytes(makeTree()));
    QVERIFY(done.wait(30000));
    QCOMPARE(session.column(mapindex::MapNameColumn), QStringList{QStringLiteral("Top")});
}

void TestMapIndexSubfolders::unreadableSubfolderKeepsItsRows()
{
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty(UnprivilegedVariable)) {
        const int status = runAsNobody("unreadableSubfolderKeepsItsRows");
        if (status == 77)
            QSKIP("no user \"nobody\" to read the folders as");
        QCOMPARE(status, 0);
        return;
    }
    const QString maps = makeTree();
    mapindex::SetIncludesSubfolders(mitest::bytes(maps), true);
    Session session(maps);
    session.read();
    const QStringList names = session.column(mapindex::MapNameColumn);
    QCOMPARE(names.size(), 4);

    // "a" holds A.fcw and deep/D.fcw: a folder we may not list is not a folder emptied.
    const QByteArray folder = QFile::encodeName(maps + QStringLiteral("/a"));
    QCOMPARE(::chmod(folder.constData(), 0), 0);
    session.read(true);
    QCOMPARE(::chmod(folder.constData(), 0755), 0);
    QCOMPARE(session.column(mapindex::MapNameColumn), names);
    QVERIFY(session.window.changes().empty());
    const auto *line = session.window.findChild<QLabel *>(QStringLiteral("unavailable"));
    QVERIFY(!line->isHidden());
    QCOMPARE(line->text(), maps + QStringLiteral("/a cannot be read: File access denied."));

    const QString out = uitest::makeTempDir() + QStringLiteral("/out.csv");
    session.window.setExportPicker(
        [&](QWidget *, const QString &, int) { return std::optional(mapindex::ExportChoice{out}); });
    session.window.findChild<QAction *>(QStringLiteral("export"))->trigger();
    QVERIFY(
        session.window.statusBar()->currentMessage().endsWith(QStringLiteral("; 1 unreadable folder as last read")));
}

QTEST_MAIN(TestMapIndexSubfolders)
#include "tst_mapindex_subfolders.moc"
