// Started from the menu, the list's Save dialog opens in the documents folder.

#include "ConfigDirectory.h"
#include "app_fixture.h"

#include <QTest>

class TestListSaveFolder : public QObject {
    Q_OBJECT

private slots:
    void opensInDocumentsWhenStartedFromTheMenu()
    {
        const QString home = uitest::makeTempDir();
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/.config")));
        QVERIFY(QDir(home).mkdir(QStringLiteral("Documents")));

        uitest::AppRun run;
        run.createWindows();
        catalogue::programState().MapsDirectory = QFile::encodeName(run.startDirectory).toStdString();
        ui::SaveListsInDocuments();
        const auto askedIn = [&run] {
            ui::FileDialogSeam::answerNext(std::nullopt);
            run.form->Save1Click();
            return QFile::decodeName(QByteArray::fromStdString(ui::FileDialogSeam::calls().back().directory));
        };
        QCOMPARE(askedIn(), home + QStringLiteral("/Documents"));

        // No documents folder: the home folder, never the configuration folder.
        QVERIFY(QDir(home).rmdir(QStringLiteral("Documents")));
        QCOMPARE(askedIn(), home);
        QVERIFY(run.messages.empty());
    }
};

QTEST_MAIN(TestListSaveFolder)
#include "tst_list_save_folder.moc"
