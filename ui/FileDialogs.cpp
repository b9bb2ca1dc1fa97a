#include "FileDialogs.h"

#include "ByteText.h"
#include "DialogFrame.h"

#include <QFileDialog>

#include <deque>

namespace ui {

namespace {

struct SeamState {
    std::deque<std::optional<std::string>> answers;
    std::vector<FileDialogCall> calls;
};

SeamState &seam()
{
    static SeamState state;
    return state;
}

// Records the call; hands out the queued answer when there is one.
std::optional<std::optional<std::string>> takeAnswer(const FileDialogCall &call)
{
    seam().calls.push_back(call);
    if (seam().answers.empty())
        return std::nullopt;
    auto answer = seam().answers.front();
    seam().answers.pop_front();
    return answer;
}

std::optional<std::string> runDialog(QFileDialog &dialog, const QWidget *parent)
{
    PlaceLikeCommonDialog(dialog, parent);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return EncodeName(dialog.selectedFiles().constFirst());
}

} // namespace

namespace FileDialogSeam {

void answerNext(std::optional<std::string> fileName)
{
    seam().answers.push_back(std::move(fileName));
}

const std::vector<FileDialogCall> &calls()
{
    return seam().calls;
}

void reset()
{
    seam() = SeamState{};
}

} // namespace FileDialogSeam

std::optional<std::string> AskSaveFileName(QWidget *parent, const std::string &directory,
                                           const std::string &suggestedName)
{
    if (auto answer = takeAnswer({QString(), directory, suggestedName}))
        return *answer;
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDirectory(DecodeName(directory));
    dialog.selectFile(DecodeName(suggestedName));
    return runDialog(dialog, parent);
}

std::optional<std::string> AskOpenFileName(QWidget *parent, const QString &title, const std::string &previousFileName)
{
    if (auto answer = takeAnswer({title, std::string(), previousFileName}))
        return *answer;
    QFileDialog dialog(parent, title);
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!previousFileName.empty())
        dialog.selectFile(DecodeName(previousFileName));
    return runDialog(dialog, parent);
}

} // namespace ui
