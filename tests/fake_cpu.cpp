#include "fake_cpu.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

FakeCpu *active_cpu = nullptr;

FakeCpu::FakeCpu(uint32_t std_top, uint32_t ext_top, uint32_t centaur_top) {
    answers[{STD_BASE, 0}] = {std_top, 0, 0, 0};
    answers[{EXT_BASE, 0}] = {ext_top, 0, 0, 0};
    answers[{CENTAUR_BASE, 0}] = {centaur_top, 0, 0, 0};
}

FakeCpu &FakeCpu::set(uint32_t leaf, uint32_t subleaf, Regs regs) {
    answers[{leaf, subleaf}] = regs;
    return *this;
}

FakeCpu &FakeCpu::bit(uint32_t leaf, uint32_t subleaf, Reg reg, int bit) {
    // operator[] starts an absent answer at all clear.
    answers[{leaf, subleaf}][reg] |= uint32_t{1} << bit;
    return *this;
}

FakeCpu all_clear() {
    FakeCpu cpu(7, 0x80000001, 0xC0000001);
    cpu.set(1, 0, {}).set(7, 0, {}).set(7, 1, {}).set(0x80000001, 0, {}).set(0xC0000001, 0, {});
    return cpu;
}

void fake_cpuid(uint32_t leaf, uint32_t subleaf, uint32_t regs[4]) {
    if (active_cpu == nullptr)
        throw std::logic_error("fake_cpuid called with no active fake processor");
    active_cpu->executed.emplace_back(leaf, subleaf);
    auto found = active_cpu->answers.find({leaf, subleaf});
    const Regs &answer = found != active_cpu->answers.end() ? found->second : active_cpu->beyond;
    for (int i = 0; i < 4; ++i)
        regs[i] = answer[i];
}

std::string report_line(cpuid_fn *cpuid) {
    char *text = nullptr;
    size_t size = 0;
    FILE *out = open_memstream(&text, &size);
    if (out == nullptr)
        throw std::runtime_error("open_memstream failed");
    const int status = print_flags(out, cpuid);
    fclose(out);
    std::string line(text, size);
    free(text);
    if (status != 0)
        throw std::runtime_error("print_flags returned " + std::to_string(status));
    return line;
}

std::string report(FakeCpu &cpu) {
    active_cpu = &cpu;
    std::string line = report_line(fake_cpuid);
    active_cpu = nullptr;
    return line;
}
