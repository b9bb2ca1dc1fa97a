#pragma once

#include <string>

namespace ui {

// Remembers the process's current directory so that a dialog that walks the
// file system leaves it where it was. restore() reports a failure like any
// other checked directory change; if an error skips it, the destructor
// restores without reporting.
class WorkingDirectoryGuard final {
public:
    WorkingDirectoryGuard();
    ~WorkingDirectoryGuard();
    WorkingDirectoryGuard(const WorkingDirectoryGuard &) = delete;
    WorkingDirectoryGuard &operator=(const WorkingDirectoryGuard &) = delete;

    void restore();

private:
    std::string directory_;
    bool restored_ = false;
};

} // namespace ui
