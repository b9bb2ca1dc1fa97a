#include "ConfigDirectory.h"

#include "runtime/io_error.h"
#include "runtime/working_directory.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace ui {

namespace {

bool saveInDocuments = false;

std::string homeDirectory()
{
    const QByteArray home = qgetenv("HOME");
    return home.isEmpty() ? QFile::encodeName(QDir::homePath()).toStdString() : home.toStdString();
}

} // namespace

std::string XdgBaseDirectory(const char *variable, const char *underHome)
{
    std::string base = qgetenv(variable).toStdString();
    if (base.empty() || base.front() != '/')
        return homeDirectory() + '/' + underHome;
    return base;
}

std::string ConfigDirectoryPath()
{
    return XdgBaseDirectory("XDG_CONFIG_HOME", ".config") + "/map-utility";
}

namespace {

// A folder that could not be made fails when it is used: say which it was.
template <class Use>
void useConfigDirectory(const std::string &path, const Use &use)
{
    const QString folder = QFile::decodeName(QByteArray::fromStdString(path));
    if (!QDir(folder).exists()) {
        // Private, as the base directory rules ask for folders we create.
        const QString parent = QFileInfo(folder).path();
        if (!QDir(parent).exists() && QDir().mkpath(parent))
            QFile::setPermissions(parent, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    try {
        use();
        runtime::CheckIo();
    } catch (const runtime::EInOutError &error) {
        throw runtime::Exception("The configuration folder could not be used: " + path + ": " + error.what());
    }
}

} // namespace

void EnterConfigDirectory(const std::string &path)
{
    useConfigDirectory(path, [&] { runtime::SetWorkingDirectory(path); });
}

std::shared_ptr<const runtime::DirectoryHandle> OpenConfigDirectory(const std::string &path)
{
    auto folder = std::make_shared<runtime::DirectoryHandle>();
    useConfigDirectory(path, [&] { *folder = runtime::DirectoryHandle::Open(path); });
    return folder;
}

void SaveListsInDocuments()
{
    saveInDocuments = true;
}

std::string ListSaveDirectory(const std::string &startDirectory)
{
    if (!saveInDocuments)
        return startDirectory;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir(documents).exists())
        return QFile::encodeName(documents).toStdString();
    return homeDirectory();
}

} // namespace ui
