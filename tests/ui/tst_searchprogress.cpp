// The content search's progress on the main window's bar.
#include "SearchProgress.h"

#include <QProgressBar>
#include <QtTest>

class TestSearchProgress : public QObject {
    Q_OBJECT

private slots:
    void progressStaysWithinRange();
    void progressBarExactWhenSearchStops();
};

void TestSearchProgress::progressStaysWithinRange()
{
    QProgressBar bar;
    ui::SearchProgress progress(bar);
    progress.setMaximum(3);
    progress.setPosition(0);
    for (int step = 0; step < 5; ++step)
        progress.setPosition(progress.position() + 1);
    QCOMPARE(progress.position(), 3);
    QCOMPARE(bar.value(), 3);
    QCOMPARE(bar.maximum(), 3);

    // An empty collection must not turn the bar into a busy indicator.
    progress.setMaximum(0);
    QCOMPARE(progress.position(), 0);
    QVERIFY(bar.maximum() > bar.minimum());

    progress.setVisible(false);
    QVERIFY(bar.isHidden());
    progress.setVisible(true);
    QVERIFY(!bar.isHidden());
}

void TestSearchProgress::progressBarExactWhenSearchStops()
{
    QProgressBar bar;
    {
        ui::SearchProgress progress(bar);
        progress.setMaximum(1000);
        progress.setPosition(0);
        for (int position = 1; position <= 417; ++position)
            progress.setPosition(position);
        // An error ends the search here: the bar stays where it stopped.
    }
    QCOMPARE(bar.value(), 417);
}

QTEST_MAIN(TestSearchProgress)
#include "tst_searchprogress.moc"
