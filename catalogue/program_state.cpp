#include "program_state.h"

#include "runtime/working_directory.h"

namespace catalogue {

int StartDirectoryFd(const ProgramState &state)
{
    return state.StartFolder && state.StartFolder->valid() ? state.StartFolder->fd() : AT_FDCWD;
}

void EnterMapsDirectory(const ProgramState &state, const std::string &mapsText)
{
    runtime::SetWorkingDirectory(mapsText, StartDirectoryFd(state));
}

ProgramState &programState()
{
    static ProgramState state;
    return state;
}

} // namespace catalogue
