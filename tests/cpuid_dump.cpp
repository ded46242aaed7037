// Prints the processor's raw answers to the queries the report makes, one line each:
// leaf, subleaf, then EAX, EBX, ECX and EDX, in hexadecimal. It asks every leaf whatever the top
// of its range, so leaves beyond it show the junk that processors return there.
//
// It executes CPUID through the compiler's own header, not through the program's code, so the
// emulated tests compare two independent ways of asking.

#include <cpuid.h>
#include <stdio.h>

int main() {
    const unsigned queries[][2] = {
        {0x00000000, 0}, {0x80000000, 0}, {0xC0000000, 0}, {0x00000001, 0},
        {0x00000007, 0}, {0x00000007, 1}, {0x80000001, 0}, {0xC0000001, 0},
    };
    for (const auto &q : queries) {
        unsigned eax, ebx, ecx, edx;
        __cpuid_count(q[0], q[1], eax, ebx, ecx, edx);
        printf("%08x %u %08x %08x %08x %08x\n", q[0], q[1], eax, ebx, ecx, edx);
    }
    return 0;
}
