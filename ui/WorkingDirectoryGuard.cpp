#include "WorkingDirectoryGuard.h"

#include "runtime/io_error.h"
#include "runtime/working_directory.h"

namespace ui {

WorkingDirectoryGuard::WorkingDirectoryGuard() : directory_(runtime::GetWorkingDirectory()) {}

WorkingDirectoryGuard::~WorkingDirectoryGuard()
{
    if (restored_ || directory_.empty())
        return;
    const runtime::SavedIoCode unreported; // a failure here drops only its own code
    runtime::SetWorkingDirectory(directory_);
}

void WorkingDirectoryGuard::restore()
{
    restored_ = true;
    if (directory_.empty())
        return;
    if (runtime::GetWorkingDirectory() == directory_)
        return;
    runtime::SetWorkingDirectory(directory_);
    runtime::CheckIo();
}

} // namespace ui
