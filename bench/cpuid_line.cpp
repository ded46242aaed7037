// Baseline (b) for the start-up benchmark: the ten CPUID executions that tessivane makes on a
// processor with all three ranges, then one line through stdio.

#include <stdint.h>
#include <stdio.h>

namespace {

uint32_t cpuid_mix(uint32_t leaf, uint32_t subleaf) {
    uint32_t eax, ebx, ecx, edx;
    __asm__ volatile("cpuid"
                     : "=a"(eax), "=b"(ebx), "=c"(ecx), "=d"(edx)
                     : "a"(leaf), "c"(subleaf));
    return eax ^ ebx ^ ecx ^ edx;
}

} // namespace

int main() {
    const uint32_t queries[10][2] = {
        {0x00000000, 0}, {0x00000001, 0}, {0x00000000, 0}, {0x00000007, 0}, {0x00000000, 0},
        {0x00000007, 1}, {0x80000000, 0}, {0x80000001, 0}, {0xC0000000, 0}, {0xC0000001, 0},
    };
    uint32_t mix = 0;
    for (const auto &q : queries)
        mix ^= cpuid_mix(q[0], q[1]);
    printf("CPU_FLAGS_X86: %08x\n", static_cast<unsigned>(mix));
    return 0;
}
