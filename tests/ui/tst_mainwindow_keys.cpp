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
    void initTestCase();
    void cleanupTestCase();

    void detailsPaneDescribesTheSelection();

private:
    QString pane() const { return run_->details()->toPlainText(); }
    void trigger(const char *action) const { run_->child<QAction>(action)->trigger(); }

    std::unique_ptr<AppRun> run_;
};

void TestMainWindowKeys::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X display with a window manager");
    ui::ConfigureApplication();
    run_ = std::make_unique<AppRun>();
    run_->writeConfiguration(QFile::encodeName(makeDemoMaps()), QByteArray());
    run_->createWindows();
    run_->form->show();
    QVERIFY(QTest::qWaitForWindowActive(run_->form.get(), ActiveTimeoutMs));
    QTRY_VERIFY(run_->scanEnabled()); // the configuration loads on activation
}

void TestMainWindowKeys::cleanupTestCase()
{
    run_.reset();
}

void TestMainWindowKeys::detailsPaneDescribesTheSelection()
{
    QListWidget *list = run_->list();
    trigger("Scan1");
    list->setFocus();
    QTRY_VERIFY(list->hasFocus());
    QVERIFY(pressRealKeys({QStringLiteral("Down"), QStringLiteral("Down")}));
    QTRY_VERIFY(pane().startsWith(QStringLiteral("Map Name: Dragon Caves")));

    // Scan selects the first entry and shows it, as a click would.
    trigger("Scan1");
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(pane(), QStringLiteral("\nNo details are contained within the selected file\n"));

    // A search replaces the list and selects nothing: nothing is described.
    QVERIFY(pressRealKeys({QStringLiteral("Down")}));
    QTRY_VERIFY(pane().startsWith(QStringLiteral("Map Name: Castle Keep")));
    QString shown;
    searchFor(QStringLiteral("Castle"), shown);
    trigger("Search1");
    QCOMPARE(run_->entries(), QStringList{QStringLiteral("Castle Keep")});
    QCOMPARE(pane(), QString());

    // The dialog opens with its last text selected: typing replaces it.
    trigger("Scan1");
    searchFor(QStringLiteral("Harb"), shown);
    trigger("Search1");
    QCOMPARE(shown, QStringLiteral("Harb"));
    QCOMPARE(run_->entries(), (QStringList{QStringLiteral("Harbour"), QStringLiteral("Old Harbour")}));
    QCOMPARE(pane(), QString());

    // Clear leaves nothing to describe.
    QVERIFY(QTest::qWaitForWindowActive(run_->form.get(), ActiveTimeoutMs));
    list->setFocus();
    QTRY_VERIFY(list->hasFocus());
    QVERIFY(pressRealKeys({QStringLiteral("Down")}));
    QTRY_VERIFY2(pane().startsWith(QStringLiteral("Map Name: ")), qPrintable(pane()));
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
    QCOMPARE(list->count(), 0);
    QCOMPARE(pane(), QString());
    QVERIFY(run_->messages.empty());
}

QTEST_MAIN(TestMainWindowKeys)
#include "tst_mainwindow_keys.moc"
