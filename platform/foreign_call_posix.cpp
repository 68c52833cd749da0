// POSIX build: one calling convention, so the call goes through a pointer of
// the entry point's arity. Integers and addresses travel in whole registers.
#include "platform/foreign_call.h"

using Proc1 = std::int32_t (*)(ForeignArg);
using Proc2 = std::int32_t (*)(ForeignArg, ForeignArg);
using Proc3 = std::int32_t (*)(ForeignArg, ForeignArg, ForeignArg);
using Proc4 = std::int32_t (*)(ForeignArg, ForeignArg, ForeignArg, ForeignArg);

std::int32_t CallForeign(ModuleProc proc, const ForeignArg* args, int count)
{
    switch (count) {
        case 1:
            return reinterpret_cast<Proc1>(proc)(args[0]);
        case 2:
            return reinterpret_cast<Proc2>(proc)(args[0], args[1]);
        case 3:
            return reinterpret_cast<Proc3>(proc)(args[0], args[1], args[2]);
        default:
            return reinterpret_cast<Proc4>(proc)(args[0], args[1], args[2], args[3]);
    }
}
