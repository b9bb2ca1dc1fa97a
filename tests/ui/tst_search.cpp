// Searching from the main window: the search dialog, the "Maps not found"
// notice and the progress bar.

#include "app_fixture.h"

#include "Unit10.h"

#include "catalogue/program_state.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>

using namespace uitest;

namespace {

// Answers the search dialog with text and mode, as a user typing and pressing OK.
void answerSearch(const QString &text, bool fullSearch)
{
    whenModal(QStringLiteral("frmFind"), [text, fullSearch](QWidget *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(text);
        dialog->findChild<QRadioButton *>(fullSearch ? QStringLiteral("RadioButton2") : QStringLiteral("RadioButton1"))
            ->setChecked(true);
        click(dialog, "BitBtn1");
    });
}

} // namespace

class TestSearch : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void filenameSearchNarrowsTheList();
    void emptyTextShowsTheNoticeAndKeepsTheList();
    void contentSearchNarrowsAndSetsTheMapCount();
    void noticeShowsWhileTheBarIsVisible();
    void missingMapStopsTheSearchWithTheErrorBox();
    void narrowingTwiceThenScanRestoresTheList();
    void cancelChangesNothing();
    void searchButtonDoesNothingWhileSearchIsDisabled();

private:
    void start(AppRun &run);
    QProgressBar *bar(AppRun &run) { return run.child<QProgressBar>("ProgressBar1"); }
    QString maps_;
};

void TestSearch::initTestCase()
{
    ui::ConfigureApplication();
}

void TestSearch::cleanup()
{
    closeAllModals();
}

void TestSearch::start(AppRun &run)
{
    maps_ = makeDemoMaps();
    run.writeConfiguration(maps_.toUtf8(), QByteArray());
    run.createWindows();
    run.form->FormActivate();
    run.form->Scan1Click();
    QCOMPARE(run.list()->count(), 12);
}

void TestSearch::filenameSearchNarrowsTheList()
{
    AppRun run;
    start(run);
    answerSearch(QStringLiteral("Harbour"), false);
    run.form->Search1Click();
    QCOMPARE(run.entries(), (QStringList{QStringLiteral("Harbour"), QStringLiteral("Old Harbour")}));
    QCOMPARE(run.panel(1), QStringLiteral("Maps found: 2"));
    QCOMPARE(catalogue::programState().MapCount, 12);
    QVERIFY(run.list()->selectedItems().isEmpty());
    QVERIFY(run.listCommandsEnabled());

    // The list as it now stands is searched again.
    answerSearch(QStringLiteral("harbour"), false);
    bool noticeShown = false;
    whenModal(QStringLiteral("frmNotFound"), [&noticeShown](QWidget *notice) {
        noticeShown = true;
        click(notice, "BitBtn1");
    });
    run.form->Search1Click();
    QVERIFY(noticeShown);
    QCOMPARE(run.list()->count(), 2);
}

void TestSearch::emptyTextShowsTheNoticeAndKeepsTheList()
{
    for (bool full : {false, true}) {
        AppRun run;
        start(run);
        answerSearch(QString(), full);
        bool noticeShown = false;
        whenModal(QStringLiteral("frmNotFound"), [&noticeShown](QWidget *notice) {
            noticeShown = true;
            pressKey(notice, Qt::Key_Return);
        });
        run.form->Search1Click();
        QVERIFY(noticeShown);
        QCOMPARE(run.list()->count(), 12);
        QCOMPARE(run.panel(1), QStringLiteral("Maps found: 12"));
    }
}

void TestSearch::contentSearchNarrowsAndSetsTheMapCount()
{
    AppRun run;
    start(run);
    answerSearch(QStringLiteral("Dungeon"), true);
    run.form->Search1Click();
    QCOMPARE(run.entries(), (QStringList{QStringLiteral("Castle Keep"), QStringLiteral("Goblin Warrens"),
                                        QStringLiteral("Sunken Temple")}));
    QCOMPARE(run.panel(1), QStringLiteral("Maps found: 3"));
    QCOMPARE(catalogue::programState().MapCount, 3);
    QVERIFY(bar(run)->isHidden());
    QCOMPARE(bar(run)->value(), 12);
    QVERIFY(run.messages.empty());
}

void TestSearch::noticeShowsWhileTheBarIsVisible()
{
    AppRun run;
    start(run);
    answerSearch(QStringLiteral("no map says this"), true);
    bool barVisibleDuringNotice = false;
    int barValueDuringNotice = -1;
    whenModal(QStringLiteral("frmNotFound"), [&](QWidget *notice) {
        barVisibleDuringNotice = !bar(run)->isHidden();
        barValueDuringNotice = bar(run)->value();
        click(notice, "BitBtn1");
    });
    run.form->Search1Click();
    QVERIFY(barVisibleDuringNotice);
    QCOMPARE(barValueDuringNotice, 12);
    QVERIFY(bar(run)->isHidden());
    QCOMPARE(catalogue::programState().MapCount, 12);
}

void TestSearch::missingMapStopsTheSearchWithTheErrorBox()
{
    AppRun run;
    start(run);
    QVERIFY(QFile::remove(maps_ + QStringLiteral("/Kings Road.fcw")));
    answerSearch(QStringLiteral("Dungeon"), true);
    run.form->Search1Click();
    QCOMPARE(run.messages.size(), size_t(1));
    QCOMPARE(run.messages[0].caption, QStringLiteral("Map utility"));
    QCOMPARE(run.messages[0].text, QStringLiteral("File not found."));
    QCOMPARE(run.messages[0].icon, QMessageBox::Critical);
    QCOMPARE(run.list()->count(), 12);
    QVERIFY(!bar(run)->isHidden()); // stays where it stopped, at "Kings Road"
    QCOMPARE(bar(run)->value(), 9);

    // A later complete content search hides it again.
    QVERIFY(QFile::copy(maps_ + QStringLiteral("/Castle Keep.fcw"), maps_ + QStringLiteral("/Kings Road.fcw")));
    answerSearch(QStringLiteral("Dungeon"), true);
    run.form->Search1Click();
    QVERIFY(bar(run)->isHidden());
    QCOMPARE(run.list()->count(), 4);
}

void TestSearch::narrowingTwiceThenScanRestoresTheList()
{
    AppRun run;
    start(run);
    answerSearch(QStringLiteral("City"), true);
    run.form->Search1Click();
    QCOMPARE(run.list()->count(), 3);
    answerSearch(QStringLiteral("Old"), false);
    run.form->Search1Click();
    QCOMPARE(run.entries(), QStringList{QStringLiteral("Old Harbour")});
    QCOMPARE(catalogue::programState().MapCount, 3);
    run.form->Scan1Click();
    QCOMPARE(run.list()->count(), 12);
    QCOMPARE(run.panel(1), QStringLiteral("Maps found: 12"));
}

void TestSearch::cancelChangesNothing()
{
    AppRun run;
    start(run);
    whenModal(QStringLiteral("frmFind"), [](QWidget *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("Harbour"));
        pressKey(dialog, Qt::Key_Escape);
    });
    run.form->Search1Click();
    QCOMPARE(run.list()->count(), 12);
    QCOMPARE(frmFind->SearchText(), std::string("Harbour")); // kept for the next showing
}

void TestSearch::searchButtonDoesNothingWhileSearchIsDisabled()
{
    AppRun run;
    run.createWindows();
    // The click runs its handler to the end before returning: a dialog it
    // opened would have been answered by then.
    bool dialogShown = false;
    whenModal(QStringLiteral("frmFind"), [&dialogShown](QWidget *dialog) {
        dialogShown = true;
        click(dialog, "BitBtn2");
    });
    auto *button = run.child<QAbstractButton>("SpeedButton9");
    button->setEnabled(true); // a button out of step with its menu item
    button->click();
    QVERIFY(!dialogShown);
    closeAllModals();
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
