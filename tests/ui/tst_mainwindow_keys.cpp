// The main window under a real X server with a window manager (run by
// window_manager_test.sh): keys pressed through the server, as a user's are.

#include "app_fixture.h"

#include <QGuiApplication>
#include <QLineEdit>

using namespace uitest;

namespace {

// A manager is running (the script saw it start): a window that is not
// active in this long is a failure, not a slow machine.
constexpr int ActiveTimeoutMs = 30000;

// Types text into the search dialog with real keys and confirms it with
// Enter, or cancels when the field did not end up holding just that text.
void searchFor(const QString &text, QString &shown)
{
    whenModal(
        QStringLiteral("frmFind"),
        [text, &shown](QWidget *dialog) {
            auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("Edit1"));
            const bool typed = QTest::qWaitForWindowActive(dialog, ActiveTimeoutMs) && typeRealText(text)
                && QTest::qWaitFor([&] { return edit->text().endsWith(text); });
            shown = edit->text();
            pressRealKeys({shown == text && typed ? QStringLiteral("Return") : QStringLiteral("Escape")});
        },
        ActiveTimeoutMs);
}

} // namespace

class TestMainWindowKeys : public QObject {
    Q_OBJECT

private slots:
    void detailsPaneDescribesTheSelection();
};

void TestMainWindowKeys::detailsPaneDescribesTheSelection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X display with a window manager");
    ui::ConfigureApplication();
    AppRun run;
    run.writeConfiguration(QFile::encodeName(makeDemoMaps()), QByteArray());
    run.createWindows();
    run.form->show();
    QVERIFY(QTest::qWaitForWindowActive(run.form.get(), ActiveTimeoutMs));
    QTRY_VERIFY(run.scanEnabled()); // the configuration loads on activation
    const auto trigger = [&run](const char *action) { run.child<QAction>(action)->trigger(); };
    const auto pane = [&run] { return run.details()->toPlainText(); };
    const auto down = [&run] {
        QVERIFY(QTest::qWaitForWindowActive(run.form.get(), ActiveTimeoutMs));
        run.list()->setFocus();
        QTRY_VERIFY(run.list()->hasFocus());
        QVERIFY(pressRealKeys({QStringLiteral("Down")}));
    };

    trigger("Scan1");
    down();
    QTRY_VERIFY(pane().startsWith(QStringLiteral("Map Name: Castle Keep")));
    // Scan selects the first entry and shows it, as a click would.
    trigger("Scan1");
    QCOMPARE(pane(), QStringLiteral("\nNo details are contained within the selected file\n"));

    // A search replaces the list and selects nothing: nothing is described.
    down();
    QTRY_VERIFY(pane().startsWith(QStringLiteral("Map Name: Castle Keep")));
    QString shown;
    searchFor(QStringLiteral("Castle"), shown);
    trigger("Search1");
    QCOMPARE(run.entries(), QStringList{QStringLiteral("Castle Keep")});
    QCOMPARE(pane(), QString());

    // The dialog opens with its last text selected: typing replaces it.
    trigger("Scan1");
    searchFor(QStringLiteral("Harb"), shown);
    trigger("Search1");
    QCOMPARE(shown, QStringLiteral("Harb"));
    QCOMPARE(run.entries(), (QStringList{QStringLiteral("Harbour"), QStringLiteral("Old Harbour")}));

    // Clear leaves nothing to describe.
    down();
    QTRY_VERIFY(pane().startsWith(QStringLiteral("Map Name: ")));
    whenModal(
        QStringLiteral("frmConfirmClear"),
        [](QWidget *dialog) {
            // Keys go where the server's focus is: the dialog, once it is active.
            if (QTest::qWaitForWindowActive(dialog, ActiveTimeoutMs))
                pressRealKeys({QStringLiteral("Return")});
            else
                dialog->close();
        },
        ActiveTimeoutMs);
    trigger("Clear1");
    QCOMPARE(run.list()->count(), 0);
    QCOMPARE(pane(), QString());
    QVERIFY(run.messages.empty());
}

QTEST_MAIN(TestMainWindowKeys)
#include "tst_mainwindow_keys.moc"
