#include "program_state.h"

namespace catalogue {

int StartDirectoryFd(const ProgramState &state)
{
    return state.StartFolder && state.StartFolder->valid() ? state.StartFolder->fd() : AT_FDCWD;
}

ProgramState &programState()
{
    static ProgramState state;
    return state;
}

} // namespace catalogue
