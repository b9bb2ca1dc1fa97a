#include "PathFitting.h"

#include "runtime/working_directory.h"

namespace ui {

namespace {

constexpr char Sep = runtime::PathSeparator;
const std::string Mark = std::string("...") + Sep;
const std::string RootedMark = Sep + Mark;

} // namespace

std::string CutFirstFolder(const std::string &dir)
{
    if (dir == std::string(1, Sep))
        return {};
    std::string rest = dir;
    const bool rooted = !rest.empty() && rest.front() == Sep;
    if (rooted)
        rest.erase(0, 1);
    // The mark of an earlier cut; a folder name that begins with "." is
    // taken for it just the same.
    if (!rest.empty() && rest.front() == '.')
        rest.erase(0, Mark.size());
    const std::size_t sep = rest.find(Sep);
    rest = sep == std::string::npos ? std::string() : Mark + rest.substr(sep + 1);
    return rooted ? Sep + rest : rest;
}

std::string FitPathToWidth(const std::string &path, int maxWidth, const TextWidthMeasure &measure)
{
    std::string result = path;
    const std::size_t lastSep = path.rfind(Sep);
    std::string dir = lastSep == std::string::npos ? std::string() : path.substr(0, lastSep + 1);
    const std::string name = lastSep == std::string::npos ? path : path.substr(lastSep + 1);
    // A root has no name to keep; cutting it would leave nothing to show.
    if (name.empty())
        return result;
    // The host has no drive letters; the drive part stays empty but keeps
    // its place in the loop.
    std::string drive;
    while ((!dir.empty() || !drive.empty()) && measure(result) > maxWidth) {
        if (dir == RootedMark) {
            drive.clear();
            dir = Mark;
        } else if (dir.empty()) {
            drive.clear();
        } else {
            dir = CutFirstFolder(dir);
        }
        result = drive + dir + name;
    }
    return result;
}

} // namespace ui
