// The manual page against the program: its table of extensions row by row against the feature
// table, and its version line against the program's and the project's.

#include "process.h"
#include "x86_internal.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Row {
    std::string name, leaf, subleaf, reg, bit;
};

bool operator==(const Row &a, const Row &b) {
    return a.name == b.name && a.leaf == b.leaf && a.subleaf == b.subleaf && a.reg == b.reg &&
           a.bit == b.bit;
}

void PrintTo(const Row &r, std::ostream *os) {
    *os << r.name << " " << r.leaf << " " << r.subleaf << " " << r.reg << " " << r.bit;
}

std::string manual_page() {
    std::ifstream in(MANUAL_PAGE);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The rows of the extensions table: ".It Li name Ta leaf Ta subleaf Ta register Ta bit".
std::vector<Row> manual_rows() {
    std::istringstream lines(manual_page());
    std::vector<Row> rows;
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(".It Li ", 0) != 0)
            continue;
        std::istringstream words(line.substr(7));
        Row r;
        std::string ta[4];
        words >> r.name >> ta[0] >> r.leaf >> ta[1] >> r.subleaf >> ta[2] >> r.reg >> ta[3] >>
            r.bit;
        for (const std::string &t : ta)
            EXPECT_EQ(t, "Ta") << line;
        rows.push_back(r);
    }
    return rows;
}

// A program row as the manual writes it.
Row as_written(const flag_info &row) {
    const char *none = "\\(em";
    Row r{row.name, "", none, "", ""};
    switch (row.type) {
    case CHECK_LEAF1_ECX: r.leaf = "1", r.reg = "ECX"; break;
    case CHECK_LEAF1_EDX: r.leaf = "1", r.reg = "EDX"; break;
    case CHECK_LEAF7_EBX: r.leaf = "7", r.subleaf = "0", r.reg = "EBX"; break;
    case CHECK_LEAF7_ECX: r.leaf = "7", r.subleaf = "0", r.reg = "ECX"; break;
    case CHECK_LEAF7_EDX: r.leaf = "7", r.subleaf = "0", r.reg = "EDX"; break;
    case CHECK_LEAF7_SUB1_EAX: r.leaf = "7", r.subleaf = "1", r.reg = "EAX"; break;
    case CHECK_EXT1_ECX: r.leaf = "0x80000001", r.reg = "ECX"; break;
    case CHECK_EXT1_EDX: r.leaf = "0x80000001", r.reg = "EDX"; break;
    case CHECK_CENTAUR1_EDX: r.leaf = "0xC0000001", r.reg = "EDX"; break;
    default: ADD_FAILURE() << row.name << " has type " << row.type;
    }
    int bit = 0;
    while (bit < 32 && row.mask != (uint32_t{1} << bit))
        ++bit;
    r.bit = std::to_string(bit);
    return r;
}

TEST(ManualPage, TableMatchesTheProgramRowByRow) {
    std::vector<Row> program;
    for (size_t i = 0; flags[i].name != nullptr; ++i)
        program.push_back(as_written(flags[i]));
    const std::vector<Row> manual = manual_rows();
    ASSERT_EQ(manual.size(), program.size());
    for (size_t i = 0; i < program.size(); ++i)
        EXPECT_EQ(manual[i], program[i]) << "row " << i + 1;
}

TEST(ManualPage, VersionAgreesWithTheProgramAndTheProject) {
    const std::string version = "tessivane " TESSIVANE_VERSION;
    EXPECT_EQ(run_built(TESSIVANE_BINARY, {"tessivane", "-V"}), (Outcome{version + "\n", "", 0}));
    EXPECT_NE(manual_page().find("\n.Dq " + version + " ,\n"), std::string::npos)
        << "the manual's version line is not \"" << version << "\"";
}

} // namespace
