#include "ErrorReport.h"
#include "Fonts.h"
#include "FolderRows.h"
#include "MountedDrives.h"
#include "PathFitting.h"
#include "Unit3.h"
#include "ui_test_support.h"

#include "runtime/working_directory.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <vector>

using namespace ui; // the chooser's parts: rows, drives, path fitting

namespace {

// Ten pixels a byte, so every width below is exact.
int fixedWidth(const std::string &text)
{
    return 10 * static_cast<int>(text.size());
}

std::string bytes(const QString &text)
{
    return QFile::encodeName(text).toStdString();
}

QStringList rowTexts(const QListWidget &list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << list.item(i)->text();
    return texts;
}

} // namespace

class FolderChooserTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void fitPathToWidth_data();
    void fitPathToWidth();
    void cutFirstFolder_data();
    void cutFirstFolder();

    void mountTableParsing();
    void mountClassificationAndCaptions();
    void driveHoldingPath();

    void rowsOfATree();
    void rowsOfTheRoot();

    void opensAtTheStartDirectory();
    void doubleClickOpensAFolder();
    void singleClickOnlySelects();
    void enterAcceptsTheOpenFolder();
    void cancelKeepsTheChooserWhereItWas();
    void deletedFolderIsReportedAndStateKept();

private:
    TfrmStart &chooser();
    QListWidget &folderList();
    void doubleClickRow(const QString &text);

    std::string originalDirectory_;
    QString tree_;
    std::unique_ptr<TfrmStart> chooser_;
    std::vector<ui::ShownMessage> shown_;
};

void FolderChooserTest::initTestCase()
{
    QCoreApplication::setApplicationName(QStringLiteral("Map utility"));
    ui::InstallFontSubstitutes();
    // The pictures live in the static window library; nothing pulls them in.
    Q_INIT_RESOURCE(resources);
    originalDirectory_ = runtime::GetWorkingDirectory();
}

void FolderChooserTest::init()
{
    // tree/Games/{Atlas, beta, Zed, .hidden} and a file that is no folder.
    tree_ = uitest::makeTempDir();
    QDir dir(tree_);
    QVERIFY(dir.mkpath(QStringLiteral("Games/Atlas/Maps")));
    QVERIFY(dir.mkpath(QStringLiteral("Games/beta")));
    QVERIFY(dir.mkpath(QStringLiteral("Games/Zed")));
    QVERIFY(dir.mkpath(QStringLiteral("Games/.hidden")));
    QFile file(tree_ + QStringLiteral("/Games/notes.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(QDir::setCurrent(tree_ + QStringLiteral("/Games")));
    shown_.clear();
    ui::SetMessageRecorder([this](const ui::ShownMessage &message) { shown_.push_back(message); });
}

void FolderChooserTest::cleanup()
{
    uitest::closeAllModals();
    chooser_.reset();
    ui::SetMessageRecorder({});
    QDir::setCurrent(QString::fromStdString(originalDirectory_));
}

TfrmStart &FolderChooserTest::chooser()
{
    if (!chooser_)
        chooser_ = std::make_unique<TfrmStart>();
    return *chooser_;
}

QListWidget &FolderChooserTest::folderList()
{
    return *chooser().findChild<QListWidget *>(QStringLiteral("DirectoryListBox1"));
}

void FolderChooserTest::doubleClickRow(const QString &text)
{
    QListWidget &list = folderList();
    const QList<QListWidgetItem *> found = list.findItems(text, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    list.scrollToItem(found.front());
    const QPoint where = list.visualItemRect(found.front()).center();
    // A double click is the second press of a click.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, where);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, where);
}

void FolderChooserTest::fitPathToWidth_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("maxWidth");
    QTest::addColumn<QString>("shown");

    const QString cities = QStringLiteral("/Games/Atlas/Maps/Cities");
    QTest::newRow("fits") << cities << 240 << cities;
    QTest::newRow("first folder cut") << cities << 230 << QStringLiteral("/.../Atlas/Maps/Cities");
    QTest::newRow("two cut") << cities << 170 << QStringLiteral("/.../Maps/Cities");
    QTest::newRow("three cut") << cities << 110 << QStringLiteral("/.../Cities");
    QTest::newRow("root dropped") << cities << 100 << QStringLiteral(".../Cities");
    QTest::newRow("name alone") << cities << 60 << QStringLiteral("Cities");
    QTest::newRow("name alone, still too wide") << cities << 10 << QStringLiteral("Cities");
    QTest::newRow("dot folder taken for the mark") << QStringLiteral("/.x/y/z") << 60 << QStringLiteral("/.../z");
    QTest::newRow("root never shortened") << QStringLiteral("/") << 0 << QStringLiteral("/");
    QTest::newRow("top folder") << QStringLiteral("/home") << 10 << QStringLiteral("home");
}

void FolderChooserTest::fitPathToWidth()
{
    QFETCH(QString, path);
    QFETCH(int, maxWidth);
    QFETCH(QString, shown);
    QCOMPARE(QString::fromStdString(FitPathToWidth(path.toStdString(), maxWidth, fixedWidth)), shown);
}

void FolderChooserTest::cutFirstFolder_data()
{
    QTest::addColumn<QString>("dir");
    QTest::addColumn<QString>("cut");
    QTest::newRow("root") << QStringLiteral("/") << QString();
    QTest::newRow("rooted") << QStringLiteral("/a/b/") << QStringLiteral("/.../b/");
    QTest::newRow("rooted mark") << QStringLiteral("/.../b/c/") << QStringLiteral("/.../c/");
    QTest::newRow("last rooted folder") << QStringLiteral("/.../b/") << QStringLiteral("/.../");
    QTest::newRow("bare mark") << QStringLiteral(".../") << QString();
    QTest::newRow("short dot name") << QStringLiteral("/.a/") << QStringLiteral("/");
}

void FolderChooserTest::cutFirstFolder()
{
    QFETCH(QString, dir);
    QFETCH(QString, cut);
    QCOMPARE(QString::fromStdString(CutFirstFolder(dir.toStdString())), cut);
}

void FolderChooserTest::mountTableParsing()
{
    const std::string table =
        "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
        "garbage line\n"
        "40 27 8:17 / /media/me/My\\040Stick rw master:2 shared:3 - vfat /dev/sdb1 rw\n"
        "41 27 0:50 /sub /mnt/share rw - cifs //Server/Share rw\n"
        "42 27 0:22 / /sys rw - sysfs sysfs rw\n";
    const std::vector<MountEntry> mounts = ParseMountInfo(table);
    QCOMPARE(mounts.size(), std::size_t(4));
    QCOMPARE(mounts[0].mountPath, std::string("/"));
    QCOMPARE(mounts[0].fsType, std::string("ext4"));
    QCOMPARE(mounts[0].source, std::string("/dev/vda"));
    QCOMPARE(mounts[0].major, 254u);
    QCOMPARE(mounts[1].mountPath, std::string("/media/me/My Stick"));
    QCOMPARE(mounts[1].minor, 17u);
    QCOMPARE(mounts[2].fsType, std::string("cifs"));
    QCOMPARE(mounts[2].source, std::string("//Server/Share"));
}

void FolderChooserTest::mountClassificationAndCaptions()
{
    const std::string table =
        "22 1 0:21 / /proc rw - proc proc rw\n"
        "23 1 254:0 / / rw - ext4 /dev/vda rw\n"
        "24 23 0:6 / /dev rw - devtmpfs devtmpfs rw\n"
        "25 24 0:23 / /dev/shm rw - tmpfs tmpfs rw\n"
        "26 23 0:30 / /tmp rw - tmpfs tmpfs rw\n"
        "27 23 8:1 / /home rw - xfs /dev/sda1 rw\n"
        "28 23 8:2 / /home rw - btrfs /dev/sda2 rw\n"
        "29 23 11:0 / /media/me/CDROM ro - iso9660 /dev/sr0 ro\n"
        "30 23 8:17 / /media/me/STICK rw - vfat /dev/sdb1 rw\n"
        "31 23 0:40 / /srv/nfs rw - nfs4 Files:/Export rw\n"
        "32 23 0:41 / /mnt/box rw - fuse.sshfs Me@Host:/Data rw\n"
        "33 23 0:42 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
        "34 23 0:43 / /merged rw - overlay overlay rw\n"
        "35 23 254:0 /etc/hosts /etc/hosts rw - ext4 /dev/vda rw\n";
    const auto label = [](const MountEntry &mount) {
        return mount.major == 8 && mount.minor == 2 ? std::string("Home Disk") : std::string();
    };
    const auto isFolder = [](const std::string &path) { return path != "/etc/hosts"; };
    const std::vector<MountedDrive> drives = DrivesFromMounts(ParseMountInfo(table), label, isFolder);

    QStringList captions;
    for (const MountedDrive &drive : drives)
        captions << QString::fromStdString(drive.caption);
    QCOMPARE(captions, QStringList({QStringLiteral("/: []"), QStringLiteral("/home: [home disk]"),
                                    QStringLiteral("/media/me/CDROM: []"), QStringLiteral("/media/me/STICK:"),
                                    QStringLiteral("/merged: []"), QStringLiteral("/mnt/box: me@host:/data"),
                                    QStringLiteral("/srv/nfs: files:/export"), QStringLiteral("/tmp: []")}));
    QCOMPARE(drives[2].kind, DriveKind::CdRom);
    QCOMPARE(drives[3].kind, DriveKind::Removable);
    QCOMPARE(drives[5].kind, DriveKind::Network);
    QCOMPARE(drives[7].kind, DriveKind::Ram);
    QCOMPARE(drives[1].kind, DriveKind::Fixed);
}

void FolderChooserTest::driveHoldingPath()
{
    const std::vector<MountedDrive> drives = {{"/", DriveKind::Fixed, "/: []"},
                                              {"/home", DriveKind::Fixed, "/home: []"},
                                              {"/home/me/net", DriveKind::Network, "/home/me/net: x"}};
    QCOMPARE(DriveHoldingPath(drives, "/"), 0);
    QCOMPARE(DriveHoldingPath(drives, "/homework"), 0);
    QCOMPARE(DriveHoldingPath(drives, "/home"), 1);
    QCOMPARE(DriveHoldingPath(drives, "/home/me/network"), 1);
    QCOMPARE(DriveHoldingPath(drives, "/home/me/net/a"), 2);
    QCOMPARE(DriveHoldingPath(drives, ""), -1);
}

void FolderChooserTest::rowsOfATree()
{
    const std::string games = bytes(tree_ + QStringLiteral("/Games"));
    const std::vector<FolderRow> rows = BuildFolderRows(games);

    QStringList expected{QStringLiteral("/")};
    expected << tree_.split(QLatin1Char('/'), Qt::SkipEmptyParts) << QStringLiteral("Games");
    const int openRow = static_cast<int>(expected.size()) - 1;
    expected << QStringLiteral("Atlas") << QStringLiteral("beta") << QStringLiteral("Zed");

    QStringList texts;
    for (const FolderRow &row : rows)
        texts << QString::fromStdString(row.text);
    QCOMPARE(texts, expected);
    QCOMPARE(OpenFolderRow(rows), openRow);

    const int slashes = static_cast<int>(std::count(games.begin(), games.end(), '/'));
    for (int i = 0; i <= openRow; ++i) {
        QCOMPARE(rows[i].kind, i == openRow ? FolderRowKind::OpenFolder : FolderRowKind::OpenAncestor);
        QCOMPARE(rows[i].indent, 2 + 4 * i);
    }
    QCOMPARE(rows[0].path, std::string("/"));
    QCOMPARE(rows[openRow - 1].path, bytes(tree_));
    QCOMPARE(rows[openRow].path, games);
    QCOMPARE(rows.back().kind, FolderRowKind::ClosedSubfolder);
    QCOMPARE(rows.back().indent, 6 + 4 * slashes);
    QCOMPARE(rows.back().path, games + "/Zed");
}

void FolderChooserTest::rowsOfTheRoot()
{
    const std::vector<FolderRow> rows = BuildFolderRows("/");
    QVERIFY(rows.size() > 1);
    QCOMPARE(rows[0].text, std::string("/"));
    QCOMPARE(rows[0].kind, FolderRowKind::OpenFolder);
    QCOMPARE(rows[1].indent, 10);
    QCOMPARE(rows[1].path, "/" + rows[1].text); // the separator is not doubled
    QVERIFY(BuildFolderRows("").empty());
}

void FolderChooserTest::opensAtTheStartDirectory()
{
    const std::string games = bytes(tree_ + QStringLiteral("/Games"));
    QCOMPARE(chooser().ChooserDirectory(), games);
    QCOMPARE(chooser().windowTitle(), QStringLiteral("Select location of LLS file"));
    QCOMPARE(chooser().size(), QSize(335, 208));

    auto *label = chooser().findChild<QLabel *>(QStringLiteral("Label2"));
    const QFontMetrics metrics(label->font());
    const QString shown = label->text();
    QVERIFY(shown.endsWith(QStringLiteral("/Games")));
    QVERIFY(metrics.horizontalAdvance(shown) <= 225 || shown == QStringLiteral("Games"));
    QCOMPARE(folderList().currentItem()->text(), QStringLiteral("Games"));

    auto *drives = chooser().findChild<QComboBox *>(QStringLiteral("DriveComboBox1"));
    QVERIFY(drives->count() > 0);
    QVERIFY(drives->currentText().startsWith(QStringLiteral("/")));
    QCOMPARE(chooser().focusWidget(), drives);
}

void FolderChooserTest::doubleClickOpensAFolder()
{
    chooser().show();
    QVERIFY(QTest::qWaitForWindowExposed(&chooser()));
    doubleClickRow(QStringLiteral("Atlas"));

    const std::string atlas = bytes(tree_ + QStringLiteral("/Games/Atlas"));
    QCOMPARE(chooser().ChooserDirectory(), atlas);
    QCOMPARE(folderList().currentItem()->text(), QStringLiteral("Atlas"));
    QCOMPARE(rowTexts(folderList()).last(), QStringLiteral("Maps"));
    QVERIFY(chooser().findChild<QLabel *>(QStringLiteral("Label2"))->text().endsWith(QStringLiteral("/Atlas")));

    // An ancestor row goes back up.
    doubleClickRow(QStringLiteral("Games"));
    QCOMPARE(chooser().ChooserDirectory(), bytes(tree_ + QStringLiteral("/Games")));
    QVERIFY(shown_.empty());
}

void FolderChooserTest::singleClickOnlySelects()
{
    chooser().show();
    QVERIFY(QTest::qWaitForWindowExposed(&chooser()));
    QListWidget &list = folderList();
    const QRect zed = list.visualItemRect(list.findItems(QStringLiteral("Zed"), Qt::MatchExactly).front());
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, zed.center());
    QTest::keyClick(&list, Qt::Key_Up);
    QCOMPARE(list.currentItem()->text(), QStringLiteral("beta"));
    QCOMPARE(chooser().ChooserDirectory(), bytes(tree_ + QStringLiteral("/Games")));
}

void FolderChooserTest::enterAcceptsTheOpenFolder()
{
    const std::string before = runtime::GetWorkingDirectory();
    int result = -1;
    uitest::whenModal(QStringLiteral("frmStart"), [this](QWidget *) {
        doubleClickRow(QStringLiteral("Atlas"));
        QListWidget &list = folderList();
        const QList<QListWidgetItem *> maps = list.findItems(QStringLiteral("Maps"), Qt::MatchExactly);
        if (!maps.isEmpty())
            list.setCurrentItem(maps.front());
        list.setFocus();
        QTest::keyClick(&list, Qt::Key_Return);
    });
    result = chooser().exec();
    QCOMPARE(result, 1);
    QCOMPARE(chooser().ChooserDirectory(), bytes(tree_ + QStringLiteral("/Games/Atlas")));
    // The browsing moved the current directory only while the chooser was open.
    QCOMPARE(runtime::GetWorkingDirectory(), before);
}

void FolderChooserTest::cancelKeepsTheChooserWhereItWas()
{
    const std::string before = runtime::GetWorkingDirectory();
    uitest::whenModal(QStringLiteral("frmStart"), [this](QWidget *) {
        doubleClickRow(QStringLiteral("beta"));
        chooser().findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();
    });
    QCOMPARE(chooser().exec(), 2);
    const std::string beta = bytes(tree_ + QStringLiteral("/Games/beta"));
    QCOMPARE(chooser().ChooserDirectory(), beta);
    QCOMPARE(runtime::GetWorkingDirectory(), before);

    // Esc cancels too, and the next showing opens where the last one ended.
    uitest::whenModal(QStringLiteral("frmStart"), [this](QWidget *) {
        QCOMPARE(folderList().currentItem()->text(), QStringLiteral("beta"));
        QTest::keyClick(&folderList(), Qt::Key_Escape);
    });
    QCOMPARE(chooser().exec(), 2);
    QCOMPARE(chooser().ChooserDirectory(), beta);
}

void FolderChooserTest::deletedFolderIsReportedAndStateKept()
{
    chooser().show();
    QVERIFY(QTest::qWaitForWindowExposed(&chooser()));
    const QString labelBefore = chooser().findChild<QLabel *>(QStringLiteral("Label2"))->text();
    const QStringList rowsBefore = rowTexts(folderList());

    QVERIFY(QDir(tree_ + QStringLiteral("/Games/Zed")).removeRecursively());
    doubleClickRow(QStringLiteral("Zed"));

    QCOMPARE(shown_.size(), std::size_t(1));
    QCOMPARE(shown_[0].icon, QMessageBox::Critical);
    QCOMPARE(shown_[0].caption, QStringLiteral("Map utility"));
    QCOMPARE(shown_[0].text, QStringLiteral("File not found."));
    QCOMPARE(chooser().ChooserDirectory(), bytes(tree_ + QStringLiteral("/Games")));
    QCOMPARE(rowTexts(folderList()), rowsBefore);
    QCOMPARE(chooser().findChild<QLabel *>(QStringLiteral("Label2"))->text(), labelBefore);
}

QTEST_MAIN(FolderChooserTest)
#include "tst_folderchooser.moc"
