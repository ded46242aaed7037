// The documentation against the program: the tables of extensions in the manual page and the
// README row by row against the feature table, and the manual's version line against the
// program's and the project's.

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

// The program's table as the documentation writes it.
std::vector<Row> program_rows() {
    std::vector<Row> rows;
    for (size_t i = 0; flags[i].name != nullptr; ++i)
        rows.push_back(as_written(flags[i]));
    return rows;
}

void expect_same_rows(const std::vector<Row> &documented) {
    const std::vector<Row> program = program_rows();
    ASSERT_EQ(documented.size(), program.size());
    for (size_t i = 0; i < program.size(); ++i)
        EXPECT_EQ(documented[i], program[i]) << "row " << i + 1;
}

TEST(ManualPage, TableMatchesTheProgramRowByRow) {
    expect_same_rows(manual_rows());
}

// The rows of the table in the README's section on the names:
// "| `name` | leaf | subleaf | register | bit |", where the subleaf of a leaf without subleaves
// is an em dash.
std::vector<Row> readme_rows() {
    std::ifstream in(README);
    std::vector<Row> rows;
    std::string line;
    bool in_section = false;
    while (std::getline(in, line)) {
        if (line.rfind("## ", 0) == 0)
            in_section = line == "## The names";
        if (!in_section || line.rfind("| `", 0) != 0)
            continue;
        std::vector<std::string> cells;
        std::istringstream fields(line.substr(1));
        std::string cell;
        while (std::getline(fields, cell, '|'))
            cells.push_back(cell.substr(1, cell.size() - 2));
        if (cells.size() != 5 || cells[0].size() < 2) {
            ADD_FAILURE() << "unreadable README row: " << line;
            continue;
        }
        const std::string subleaf = cells[2] == "\u2014" /* em dash */ ? "\\(em" : cells[2];
        rows.push_back(
            {cells[0].substr(1, cells[0].size() - 2), cells[1], subleaf, cells[3], cells[4]});
    }
    return rows;
}

TEST(Readme, TableMatchesTheProgramRowByRow) {
    expect_same_rows(readme_rows());
}

TEST(ManualPage, VersionAgreesWithTheProgramAndTheProject) {
    const std::string version = "tessivane " TESSIVANE_VERSION;
    EXPECT_EQ(run_built(TESSIVANE_BINARY, {"tessivane", "-V"}), (Outcome{version + "\n", "", 0}));
    EXPECT_NE(manual_page().find("\n.Dq " + version + " ,\n"), std::string::npos)
        << "the manual's version line is not \"" << version << "\"";
}

} // namespace
