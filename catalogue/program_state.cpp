#include "program_state.h"

namespace catalogue {

ProgramState &programState()
{
    static ProgramState state;
    return state;
}

} // namespace catalogue
