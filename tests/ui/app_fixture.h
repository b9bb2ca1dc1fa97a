#pragma once

// Shared set-up of the window tests: a start directory, the real windows,
// and the seams that record message boxes and answer file pickers.

#include "ApplicationWindows.h"
#include "ErrorReport.h"
#include "FileDialogs.h"
#include "Unit1.h"
#include "ui_test_support.h"

#include "catalogue/program_state.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QTest>
#include <QTextEdit>

#include <memory>
#include <vector>

namespace uitest {

// One run of the program: start directory, windows, recorded boxes.
class AppRun final {
public:
    AppRun()
    {
        startDirectory = makeTempDir();
        QDir::setCurrent(startDirectory);
        catalogue::programState() = catalogue::ProgramState{};
        ui::FileDialogSeam::reset();
        ui::SetMessageRecorder([this](const ui::ShownMessage &message) { messages.push_back(message); });
    }

    ~AppRun()
    {
        closeAllModals();
        form.reset();
        ui::SetMessageRecorder({});
        ui::FileDialogSeam::reset();
    }

    AppRun(const AppRun &) = delete;
    AppRun &operator=(const AppRun &) = delete;

    void writeConfiguration(const QByteArray &maps, const QByteArray &viewer)
    {
        writeFile(startDirectory + QStringLiteral("/lister.txt"), maps + "\r\n" + viewer + "\r\n");
    }

    void createWindows() { form = ui::CreateApplicationWindows(); }

    template <class T = QWidget>
    T *child(const char *name) const
    {
        return form->findChild<T *>(QLatin1String(name));
    }

    QListWidget *list() const { return child<QListWidget>("ListBox1"); }
    QTextEdit *details() const { return child<QTextEdit>("RichEdit1"); }
    QString panel(int index) const
    {
        return child<QLabel>(index == 0 ? "StatusPanel0" : "StatusPanel1")->text();
    }
    bool enabled(const char *name) const
    {
        if (auto *action = child<QAction>(name))
            return action->isEnabled();
        return child<QWidget>(name)->isEnabled();
    }

    // Scan and every list command, menu items and buttons agreeing.
    bool scanEnabled() const { return both("Scan1", "SpeedButton2"); }
    bool listCommandsEnabled() const
    {
        return both("Save1", "SpeedButton3") && both("Print1", "SpeedButton4") && both("View1", "SpeedButton5") &&
               both("Clear1", "SpeedButton6") && both("Search1", "SpeedButton9");
    }
    bool listCommandsDisabled() const
    {
        for (const char *name : {"Save1", "Print1", "View1", "Clear1", "Search1", "SpeedButton3", "SpeedButton4",
                                 "SpeedButton5", "SpeedButton6", "SpeedButton9"}) {
            if (enabled(name))
                return false;
        }
        return true;
    }

    QStringList entries() const
    {
        QStringList texts;
        for (int i = 0; i < list()->count(); ++i)
            texts << list()->item(i)->text();
        return texts;
    }

    QString startDirectory;
    std::unique_ptr<TForm1> form;
    std::vector<ui::ShownMessage> messages;

private:
    bool both(const char *action, const char *button) const
    {
        const bool a = enabled(action);
        if (a != enabled(button))
            qWarning("%s and %s disagree", action, button);
        return a && enabled(button);
    }
};

// Presses a key on whatever has the focus in a dialog, as the user would.
inline void pressKey(QWidget *dialog, Qt::Key key)
{
    QWidget *target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
    QTest::keyClick(target, key);
}

inline void click(QWidget *dialog, const char *button)
{
    dialog->findChild<QAbstractButton *>(QLatin1String(button))->click();
}

} // namespace uitest
