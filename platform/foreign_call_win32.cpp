// 32-bit Windows build: a small thunk pushes the arguments, calls, and puts
// back the stack pointer it saved in a callee-saved register (ebx), so a
// callee that pops its own arguments and one that does not both return to a
// sound stack.
#include "platform/foreign_call.h"

extern "C" std::int32_t CallForeignThunk(ModuleProc proc, const ForeignArg* args, int count);

// cdecl: [ebp+8] proc, [ebp+12] args, [ebp+16] count.
asm(R"(
    .text
    .globl _CallForeignThunk
    .def _CallForeignThunk; .scl 2; .type 32; .endef
_CallForeignThunk:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    movl %esp, %ebx
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
1:
    testl %ecx, %ecx
    jz 2f
    pushl -4(%esi,%ecx,4)
    decl %ecx
    jmp 1b
2:
    call *8(%ebp)
    movl %ebx, %esp
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");

std::int32_t CallForeign(ModuleProc proc, const ForeignArg* args, int count)
{
    return CallForeignThunk(proc, args, count);
}
