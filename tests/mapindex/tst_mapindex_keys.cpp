// Map Index under a real X server with a window manager (run by
// window_manager_test.sh): keys pressed through the server, as a user's are.
// The offscreen platform binds a line edit's keys differently and hides
// what a field takes for itself.

#include "mapindex_fixture.h"

#include "status_message.h"

#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>

using mitest::Session;
using uitest::pressRealKeys;

class TestMapIndexKeys final : public QObject {
    Q_OBJECT

private slots:
    void keysReachTheWindowAndMessagesGiveWay();
};

void TestMapIndexKeys::keysReachTheWindowAndMessagesGiveWay()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X display with a window manager");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(uitest::makeTempDir()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(uitest::makeTempDir()));
    const QString maps = mitest::makeDemoMaps();
    QVERIFY(QFile::link(QStringLiteral("nowhere"), maps + QStringLiteral("/Lost.fcw"))); // listed, never read
    Session session(maps);
    int exports = 0, folderAsks = 0;
    QString exportTo;
    session.window.setExportPicker([&](QWidget *, const QString &, int) {
        ++exports;
        return exportTo.isEmpty() ? std::nullopt : std::optional(mapindex::ExportChoice{exportTo});
    });
    session.window.setFolderPicker([&](QWidget *, const std::string &) { return ++folderAsks, std::nullopt; });
    session.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&session.window, 30000));
    session.read();

    // Ctrl+E, Ctrl+O and F5 from either field, though a line edit on X11 takes Ctrl+E.
    for (const char *name : {"filter", "contents"}) {
        session.window.findChild<QLineEdit *>(QLatin1String(name))->setFocus();
        QSignalSpy reloaded(&session.window, &mapindex::IndexWindow::readingFinished);
        QVERIFY(pressRealKeys({QStringLiteral("ctrl+e"), QStringLiteral("ctrl+o"), QStringLiteral("F5")}));
        QVERIFY2(reloaded.wait(30000), name);
        QTRY_COMPARE(exports, folderAsks);
        QCOMPARE(exports, name[0] == 'f' ? 1 : 2);
    }

    // "N rows written to …" covers the row count and "1 map could not be
    // read" until one of them changes, or for a few seconds.
    exportTo = uitest::makeTempDir() + QStringLiteral("/out.csv");
    auto *note = session.window.findChild<QLabel *>(QStringLiteral("contentsNote"));
    auto *count = session.window.findChild<QLabel *>(QStringLiteral("status"));
    QStatusBar *bar = session.window.statusBar();
    QVERIFY(uitest::typeRealText(QStringLiteral("a"))); // in the contents field
    QTRY_COMPARE(note->text(), QStringLiteral("1 map could not be read"));
    QVERIFY(pressRealKeys({QStringLiteral("ctrl+e")}));
    QTRY_VERIFY(bar->currentMessage().contains(QLatin1String("written to")));
    QVERIFY(!note->isVisible());
    QVERIFY(pressRealKeys({QStringLiteral("ctrl+f")}) && uitest::typeRealText(QStringLiteral("harbour")));
    QTRY_VERIFY(bar->currentMessage().isEmpty());
    QVERIFY(note->isVisible() && count->isVisible());
    QVERIFY(pressRealKeys({QStringLiteral("ctrl+e")}));
    QTRY_VERIFY(!bar->currentMessage().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(bar->currentMessage().isEmpty(), 4 * mapindex::PassingMessageMs);
}

QTEST_MAIN(TestMapIndexKeys)
#include "tst_mapindex_keys.moc"
