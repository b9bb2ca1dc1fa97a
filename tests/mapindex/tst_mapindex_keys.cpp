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

class TestMapIndexKeys final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void windowKeysReachFromEveryField();
    void passingMessageGivesWay();

private:
    QLineEdit *field(const char *name) const { return session_->window.findChild<QLineEdit *>(QLatin1String(name)); }
    QString statusText() const { return session_->window.findChild<QLabel *>(QStringLiteral("status"))->text(); }

    std::unique_ptr<Session> session_;
    int exports_ = 0;
    int folderAsks_ = 0;
    QString exportTo_;
};

void TestMapIndexKeys::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X display with a window manager");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(uitest::makeTempDir()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(uitest::makeTempDir()));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString maps = mitest::makeDemoMaps();
    QVERIFY(QFile::link(QStringLiteral("nowhere"), maps + QStringLiteral("/Lost.fcw"))); // listed, never read
    session_ = std::make_unique<Session>(maps);
    session_->window.setExportPicker([this](QWidget *, const QString &, int) {
        ++exports_;
        return exportTo_.isEmpty() ? std::nullopt : std::optional(mapindex::ExportChoice{exportTo_});
    });
    session_->window.setFolderPicker([this](QWidget *, const std::string &) {
        ++folderAsks_;
        return std::optional<std::string>();
    });
    session_->window.show();
    QVERIFY(QTest::qWaitForWindowActive(&session_->window, 30000));
    session_->read();
}

void TestMapIndexKeys::windowKeysReachFromEveryField()
{
    for (const char *name : {"filter", "contents"}) {
        QLineEdit *edit = field(name);
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        const int exports = exports_, folderAsks = folderAsks_;
        QVERIFY(uitest::pressRealKeys({QStringLiteral("ctrl+e")}));
        QTRY_VERIFY2(exports_ == exports + 1, name);
        QVERIFY(uitest::pressRealKeys({QStringLiteral("ctrl+o")}));
        QTRY_VERIFY2(folderAsks_ == folderAsks + 1, name);
        QSignalSpy reloaded(&session_->window, &mapindex::IndexWindow::readingFinished);
        QVERIFY(uitest::pressRealKeys({QStringLiteral("F5")}));
        QVERIFY2(reloaded.wait(30000), name);
        QVERIFY(edit->hasFocus());
    }
}

// "N rows written to …" covers the row count and the contents note only
// until one of them changes, or a few seconds.
void TestMapIndexKeys::passingMessageGivesWay()
{
    exportTo_ = uitest::makeTempDir() + QStringLiteral("/out.csv");
    auto *note = session_->window.findChild<QLabel *>(QStringLiteral("contentsNote"));
    QStatusBar *bar = session_->window.statusBar();
    field("contents")->setFocus();
    QTRY_VERIFY(field("contents")->hasFocus());
    QVERIFY(uitest::typeRealText(QStringLiteral("a")));
    QTRY_COMPARE(note->text(), QStringLiteral("1 map could not be read"));

    QVERIFY(uitest::pressRealKeys({QStringLiteral("ctrl+e")}));
    QTRY_VERIFY(bar->currentMessage().contains(QLatin1String("written to")));
    QVERIFY(!note->isVisible());
    // Typing in the filter changes the count: the message gives way at once.
    const QString before = statusText();
    QVERIFY(uitest::pressRealKeys({QStringLiteral("ctrl+f")}));
    QVERIFY(uitest::typeRealText(QStringLiteral("harbour")));
    QTRY_VERIFY(statusText() != before);
    QTRY_VERIFY(bar->currentMessage().isEmpty());
    QVERIFY(note->isVisible());
    QVERIFY(session_->window.findChild<QLabel *>(QStringLiteral("status"))->isVisible());

    // Left alone, it goes after a few seconds.
    QVERIFY(uitest::pressRealKeys({QStringLiteral("ctrl+e")}));
    QTRY_VERIFY(!bar->currentMessage().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(bar->currentMessage().isEmpty(), 4 * mapindex::PassingMessageMs);
    QVERIFY(note->isVisible());
}

QTEST_MAIN(TestMapIndexKeys)
#include "tst_mapindex_keys.moc"
