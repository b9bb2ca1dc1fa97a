#include "mapindex_fixture.h"

#include "content_field.h"
#include "view_settings.h"

#include "ErrorReport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QTableView>
#include <QToolButton>

#include <algorithm>
#include <set>

using mitest::Session;

namespace {

mapindex::ContentField &contentsOf(const Session &session)
{
    return *session.window.findChild<mapindex::ContentField *>(QStringLiteral("contents"));
}

// Types text in the contents field and waits for the table to show its maps.
void searchContents(Session &session, const QString &text)
{
    QSignalSpy ended(&contentsOf(session), &mapindex::ContentField::searchEnded);
    contentsOf(session).setText(text);
    contentsOf(session).searchNow();
    QVERIFY(ended.count() > 0 || ended.wait(30000));
}

std::set<QString> shownEntries(const Session &session)
{
    const QStringList entries = session.column(0);
    return {entries.begin(), entries.end()};
}

// The command line's contents search: the entries it lists, and how many maps it reports unreadable.
std::pair<std::set<QString>, int> commandLineSearch(const QString &maps, const QString &text, bool matchCase = true)
{
    const QString errors = uitest::makeTempDir() + QStringLiteral("/errors");
    const uitest::ToolRun run = uitest::runTool(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"), QStringLiteral("\"$0\" --dir \"$1\" search --content $4 \"$2\" 2>\"$3\""),
         qEnvironmentVariable("MAP_CATALOGUE"), maps, text, errors,
         matchCase ? QString() : QStringLiteral("--ignore-case")});
    std::set<QString> entries;
    for (const QByteArray &line : run.output.split('\n'))
        if (!line.isEmpty())
            entries.insert(QString::fromUtf8(line));
    int unreadable = 0;
    for (const QByteArray &line : mitest::readFile(errors).split('\n'))
        unreadable += line.startsWith("map-catalogue: ") ? 1 : 0;
    return {entries, unreadable};
}

} // namespace

class TestMapIndexContents final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void findsWhatTheCommandLineFinds_data();
    void findsWhatTheCommandLineFinds();
    void stopKeepsTheTable();
    void keptTextIsInstantUntilTheMapsChange();
    void caseChoiceIsKeptAndAMissByCaseIsExplained();
    void keysWorkFromEveryField_data();
    void keysWorkFromEveryField();
    void fieldsLeadIntoTheTable();
};

void TestMapIndexContents::initTestCase()
{
    qputenv("XDG_CACHE_HOME", QFile::encodeName(uitest::makeTempDir()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(uitest::makeTempDir())); // the user's recent folders stay theirs
    ui::SetMessageRecorder([](const ui::ShownMessage &message) { qWarning() << "box:" << message.text; });
}

void TestMapIndexContents::cleanup()
{
    uitest::closeAllModals();
    mapindex::SetContentsMatchCase(true); // as a new user finds it
}

void TestMapIndexContents::findsWhatTheCommandLineFinds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("matchCase");
    QTest::newRow("plain text") << QStringLiteral("Harbour") << QString() << true;
    QTest::newRow("case matters") << QStringLiteral("harbour") << QString() << true;
    QTest::newRow("case ignored") << QStringLiteral("harbour") << QString() << false;
    QTest::newRow("Windows-1252 bytes") << QStringLiteral("K\u00f6ln") << QString() << true;
    QTest::newRow("Windows-1252 case ignored") << QStringLiteral("K\u00d6LN") << QString() << false;
    QTest::newRow("found nowhere") << QStringLiteral("no such words") << QString() << true;
    QTest::newRow("with the word filter") << QStringLiteral("Map Name") << QStringLiteral("city") << true;
}

void TestMapIndexContents::findsWhatTheCommandLineFinds()
{
    QFETCH(QString, text);
    QFETCH(QString, filter);
    QFETCH(bool, matchCase);
    const QString maps = mitest::makeDemoMaps();
    mitest::writeFile(maps + QStringLiteral("/Koeln.fcw"), "\1Map Name: K\xf6ln Dom\r\n");
    mitest::writeFile(maps + QStringLiteral("/Koeln.utf8.fcw"), "\1Map Name: K\xc3\xb6ln Dom\r\n");
    QVERIFY(QDir(maps).mkdir(QStringLiteral("Torn Scroll.fcw")));
    QVERIFY(QFile::link(QStringLiteral("nowhere"), maps + QStringLiteral("/Lost.fcw")));
    Session session(maps);
    session.read();
    session.window.findChild<QLineEdit *>(QStringLiteral("filter"))->setText(filter);
    const std::set<QString> filtered = shownEntries(session);
    contentsOf(session).caseButton()->setChecked(matchCase);
    searchContents(session, text);

    auto [expected, unreadable] = commandLineSearch(maps, text, matchCase);
    QCOMPARE(unreadable, 2);
    if (text == QStringLiteral("Harbour") || text.startsWith(QLatin1Char('K')) || !matchCase)
        QVERIFY(!expected.empty());
    std::erase_if(expected, [&](const QString &entry) { return !filtered.contains(entry); });
    QCOMPARE(shownEntries(session), expected);
    QCOMPARE(session.window.findChild<QLabel *>(QStringLiteral("contentsNote"))->text(),
             QStringLiteral("2 maps could not be read"));

    // Clearing the field brings back every row the word filter lets through.
    contentsOf(session).clear();
    QCOMPARE(shownEntries(session), filtered);
}

void TestMapIndexContents::stopKeepsTheTable()
{
    const QString maps = mitest::makeDemoMaps();
    Session session(maps);
    session.read();
    searchContents(session, QStringLiteral("Harbour"));
    const std::set<QString> before = shownEntries(session);
    // A huge sparse map, put in after the reading, keeps the next search busy.
    QFile huge(maps + QStringLiteral("/Kings Road.fcw"));
    QVERIFY(huge.open(QIODevice::WriteOnly | QIODevice::Truncate) && huge.resize(qint64(16) << 30));
    huge.close();
    session.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&session.window));

    QSignalSpy ended(&contentsOf(session), &mapindex::ContentField::searchEnded);
    contentsOf(session).setText(QStringLiteral("never there"));
    contentsOf(session).searchNow();
    const auto *progress = session.window.findChild<QProgressBar *>(QStringLiteral("contentsProgress"));
    QVERIFY(progress->isVisible());
    // Its text fits on one line, whatever the count.
    QTRY_VERIFY(progress->width() > progress->fontMetrics().horizontalAdvance(progress->text()));
    QTest::keyClick(&contentsOf(session), Qt::Key_Escape);
    QVERIFY(ended.count() > 0 || ended.wait(30000));
    QVERIFY(!contentsOf(session).isSearching());
    QVERIFY(!session.window.findChild<QProgressBar *>(QStringLiteral("contentsProgress"))->isVisible());
    QCOMPARE(shownEntries(session), before);
    QCOMPARE(session.window.findChild<QLabel *>(QStringLiteral("contentsNote"))->text(),
             QStringLiteral("Contents search stopped"));
    QVERIFY(QFile::remove(huge.fileName()));
}

void TestMapIndexContents::keptTextIsInstantUntilTheMapsChange()
{
    const QString maps = mitest::makeDemoMaps();
    Session session(maps);
    session.read();
    searchContents(session, QStringLiteral("Harbour"));
    const std::set<QString> harbour = shownEntries(session);
    searchContents(session, QStringLiteral("Overland"));

    // Typed again: narrowed before any event is handled, with no search started.
    contentsOf(session).setText(QStringLiteral("Harbour"));
    QVERIFY(!contentsOf(session).isSearching());
    QCOMPARE(shownEntries(session), harbour);

    // A new map holding the text: the reload's rows are searched again.
    mitest::writeFile(maps + QStringLiteral("/Zz New.fcw"), "\1Map Name: Harbour Gate\r\n");
    QSignalSpy ended(&contentsOf(session), &mapindex::ContentField::searchEnded);
    session.read(true);
    QVERIFY(ended.count() > 0 || ended.wait(30000));
    QVERIFY(shownEntries(session).contains(QStringLiteral("Zz New")));
    QCOMPARE(shownEntries(session).size(), harbour.size() + 1);
}

// "Aa" is on at first and kept as left; a text found only in another case
// says so, and shows its maps once case is ignored.
void TestMapIndexContents::caseChoiceIsKeptAndAMissByCaseIsExplained()
{
    const QString maps = mitest::makeDemoMaps();
    mitest::writeFile(maps + QStringLiteral("/Zz Crypt.fcw"), "\1Map Name: Crypt of \xc9T\xc9\r\n"); // ÉTÉ
    {
        Session session(maps);
        session.read();
        QVERIFY(contentsOf(session).caseButton()->isChecked());
        searchContents(session, QStringLiteral("crypt of \u00e9t\u00e9"));
        QVERIFY(shownEntries(session).empty());
        QCOMPARE(session.window.findChild<QLabel *>(QStringLiteral("contentsNote"))->text(),
                 QStringLiteral("No map holds this text in this case; 1 does with \"Aa\" off"));
        QSignalSpy ended(&contentsOf(session), &mapindex::ContentField::searchEnded);
        contentsOf(session).caseButton()->click();
        QVERIFY(ended.count() > 0 || ended.wait(30000));
        QCOMPARE(shownEntries(session), std::set<QString>{QStringLiteral("Zz Crypt")});
        QCOMPARE(session.window.findChild<QLabel *>(QStringLiteral("contentsNote"))->text(), QString());
    }
    Session again(maps);
    QVERIFY(!contentsOf(again).caseButton()->isChecked());
}

void TestMapIndexContents::keysWorkFromEveryField_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("action"); // triggered, or empty for none
    const std::array<const char *, 3> widgets = {"filter", "contents", "table"};
    for (const char *widget : widgets) {
        const QString at = QString::fromLatin1(widget);
        QTest::addRow("Ctrl+E in %s", widget)
            << at << int(Qt::Key_E) << int(Qt::ControlModifier) << QStringLiteral("export");
        QTest::addRow("Ctrl+C in %s", widget)
            << at << int(Qt::Key_C) << int(Qt::ControlModifier) << QStringLiteral("copy");
        QTest::addRow("F5 in %s", widget) << at << int(Qt::Key_F5) << 0 << QStringLiteral("reload");
        QTest::addRow("Ctrl+Shift+F in %s", widget)
            << at << int(Qt::Key_F) << int(Qt::ControlModifier | Qt::ShiftModifier) << QStringLiteral("findContents");
        QTest::addRow("Ctrl+O in %s", widget)
            << at << int(Qt::Key_O) << int(Qt::ControlModifier) << QStringLiteral("openFolder");
    }
    // With text selected in a field, Ctrl+C copies that text.
    QTest::newRow("Ctrl+C on selected text")
        << QStringLiteral("selected") << int(Qt::Key_C) << int(Qt::ControlModifier) << QString();
}

void TestMapIndexContents::keysWorkFromEveryField()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, action);
    Session session(mitest::makeDemoMaps());
    session.read();
    session.window.setExportPicker(
        [](QWidget *, const QString &, int) { return std::optional<mapindex::ExportChoice>(); });
    session.window.setFolderPicker([](QWidget *, const std::string &) { return std::optional<std::string>(); });
    session.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&session.window));
    auto *filter = session.window.findChild<QLineEdit *>(QStringLiteral("filter"));
    QWidget *target = focus == QStringLiteral("selected") ? filter : session.window.findChild<QWidget *>(focus);
    if (focus == QStringLiteral("selected")) {
        filter->setText(QStringLiteral("harbour"));
        filter->selectAll();
    }
    target->activateWindow();
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());

    std::vector<std::unique_ptr<QSignalSpy>> spies;
    const QStringList names = {QStringLiteral("export"), QStringLiteral("copy"), QStringLiteral("reload"),
                               QStringLiteral("findContents"), QStringLiteral("openFolder")};
    for (const QString &name : names)
        spies.push_back(std::make_unique<QSignalSpy>(session.window.findChild<QAction *>(name), &QAction::triggered));
    QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    for (qsizetype i = 0; i < names.size(); ++i)
        QCOMPARE(spies[static_cast<std::size_t>(i)]->count(), names[i] == action ? 1 : 0);
    if (action.isEmpty())
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("harbour"));
    QSignalSpy done(&session.window, &mapindex::IndexWindow::readingFinished);
    if (action == QStringLiteral("reload"))
        QVERIFY(done.wait(30000));

    // Every action with a shortcut is in a menu, with a mnemonic.
    for (QAction *menu : session.window.menuBar()->actions()) {
        QVERIFY(menu->text().contains(u'&'));
        for (QAction *item : menu->menu()->actions())
            QVERIFY(item->isSeparator() || item->text().contains(u'&'));
    }
    for (const QString &name : names) {
        const QList<QObject *> shownIn = session.window.findChild<QAction *>(name)->associatedObjects();
        QVERIFY(std::any_of(shownIn.begin(), shownIn.end(), [](QObject *o) { return qobject_cast<QMenu *>(o); }));
    }
}

void TestMapIndexContents::fieldsLeadIntoTheTable()
{
    const QString maps = mitest::makeDemoMaps();
    const QString record = uitest::makeTempDir() + QStringLiteral("/arguments.txt");
    const QString viewer = uitest::makeTempDir() + QStringLiteral("/viewer.sh");
    mitest::writeFile(viewer, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + QFile::encodeName(record) + "'\n");
    QFile::setPermissions(viewer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Session session(maps, viewer);
    session.read();
    session.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&session.window));
    auto *filter = session.window.findChild<QLineEdit *>(QStringLiteral("filter"));
    auto *table = session.window.findChild<QTableView *>(QStringLiteral("table"));
    filter->activateWindow();
    filter->setFocus();
    QTRY_VERIFY(filter->hasFocus());

    // Tab: filter, contents, its "Aa", table, and on out of the table.
    QTest::keyClick(filter, Qt::Key_Tab);
    QVERIFY(contentsOf(session).hasFocus());
    QTest::keyClick(&contentsOf(session), Qt::Key_Tab);
    QVERIFY(contentsOf(session).caseButton()->hasFocus());
    QTest::keyClick(contentsOf(session).caseButton(), Qt::Key_Tab);
    QVERIFY(table->hasFocus());
    QTest::keyClick(table, Qt::Key_Tab);
    QVERIFY(!table->hasFocus());

    // Down goes into the table; Enter in a field opens the current row.
    filter->setFocus();
    QTest::keyClick(filter, Qt::Key_Down);
    QVERIFY(table->hasFocus());
    QTest::keyClick(table, Qt::Key_Down);
    const QString second = session.model().index(1, 0).data().toString();
    filter->setFocus();
    QTest::keyClick(filter, Qt::Key_Return);
    QTRY_COMPARE(mitest::readFile(record), QFile::encodeName(maps + u'/' + second + QStringLiteral(".fcw\n")));

    // With one row shown, Enter in the contents field opens it.
    QFile::remove(record);
    searchContents(session, QStringLiteral("Misty Marsh"));
    QCOMPARE(session.model().rowCount(), 1);
    QTest::keyClick(&contentsOf(session), Qt::Key_Return);
    QTRY_COMPARE(mitest::readFile(record), QFile::encodeName(maps + QStringLiteral("/Misty Marsh.fcw\n")));
}

QTEST_MAIN(TestMapIndexContents)
#include "tst_mapindex_contents.moc"
