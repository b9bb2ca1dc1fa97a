#include "folder_choice.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>

namespace mapindex {
namespace {

QString display(const std::string &path)
{
    return QDir::toNativeSeparators(QFile::decodeName(QByteArray::fromStdString(path)));
}

} // namespace

std::optional<std::string> AskForFolder(QWidget *parent, const std::string &startFolder)
{
    const QString folder = QFileDialog::getExistingDirectory(
        parent, QStringLiteral("Open Folder"),
        startFolder.empty() ? QDir::homePath() : QFile::decodeName(QByteArray::fromStdString(startFolder)));
    if (folder.isEmpty())
        return std::nullopt;
    return QFile::encodeName(folder).toStdString();
}

std::string OpenFolderStart(const std::string &lastFolder)
{
    QString folder = QFile::decodeName(QByteArray::fromStdString(lastFolder));
    while (!folder.isEmpty() && !QFileInfo(folder).isDir()) {
        const QString above = QFileInfo(folder).path();
        folder = above == folder || above == QStringLiteral(".") ? QString() : above;
    }
    return QFile::encodeName(folder.isEmpty() ? QDir::homePath() : folder).toStdString();
}

std::optional<std::string> AskForViewer(QWidget *parent, const std::string &current)
{
    bool ok = false;
    const QString viewer = QInputDialog::getText(
        parent, QStringLiteral("Viewer"),
        QStringLiteral("The program that opens a map (its path, or its name to look up in PATH).\n"
                       "A \"lister.txt\" that names a viewer is used instead."),
        QLineEdit::Normal, display(current), &ok);
    if (!ok)
        return std::nullopt;
    return QFile::encodeName(viewer.trimmed()).toStdString();
}

QString NoFolderText()
{
    return QStringLiteral("Map Index lists the maps (*.fcw files) of one folder.\n"
                          "Choose that folder with File › Open Folder… (Ctrl+O).");
}

QString EmptyFolderText(const std::string &folder)
{
    return QStringLiteral("No *.fcw maps in %1").arg(display(folder));
}

} // namespace mapindex
