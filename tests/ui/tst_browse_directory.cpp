// Browsing for the maps folder and the current directory it leaves behind.

#include "Unit5.h"
#include "app_fixture.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTest>

using namespace uitest;

class TestBrowseDirectory : public QObject {
    Q_OBJECT

private slots:
    void aFailedReturnIsReportedOnce()
    {
        AppRun run;
        const QString start = run.startDirectory;
        QVERIFY(QDir(start).mkdir(QStringLiteral("a")));
        QVERIFY(QDir(start).mkdir(QStringLiteral("gone")));
        run.createWindows();
        QDir::setCurrent(start + QStringLiteral("/gone"));

        whenModal(QStringLiteral("frmConfig"), [&](QWidget *dialog) {
            whenModal(QStringLiteral("frmStart"), [&](QWidget *chooser) {
                auto *folders = chooser->findChild<QListWidget *>(QStringLiteral("DirectoryListBox1"));
                const auto rows = folders->findItems(QStringLiteral("a"), Qt::MatchExactly);
                if (!rows.isEmpty())
                    emit folders->itemDoubleClicked(rows.front());
                QDir(start).rmdir(QStringLiteral("gone")); // the way back is gone
                click(chooser, "BitBtn1");
            });
            click(dialog, "Button1");
            click(dialog, "BitBtn2");
        });
        run.form->Configure1Click();
        QCOMPARE(frmConfig->Edit1().text(), start + QStringLiteral("/a"));
        QCOMPARE(run.messages.size(), std::size_t(1));
        QCOMPARE(QDir::currentPath(), start + QStringLiteral("/a"));
    }
};

QTEST_MAIN(TestBrowseDirectory)
#include "tst_browse_directory.moc"
