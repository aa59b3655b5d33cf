#pragma once
// Running kesp-scan and kesp from the scan tests, and reading the table
// kesp-scan writes.

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/runHarness.h"

namespace kesp::scantest {

// Runs the executable in the directory with the arguments as given.
inline RunResult runTool(const std::filesystem::path& executable, const std::filesystem::path& dir,
                         const std::vector<std::string>& arguments, int timeLimitSeconds = 280)
{
    return runExecutable(executable, dir, arguments, timeLimitSeconds);
}

inline RunResult runScan(const std::filesystem::path& dir, const std::vector<std::string>& arguments)
{
    return runTool(KESP_SCAN_EXECUTABLE, dir, arguments);
}

inline RunResult runKesp(const std::filesystem::path& dir, const std::vector<std::string>& arguments)
{
    return runTool(KESP_EXECUTABLE, dir, arguments);
}

inline void writeText(const std::filesystem::path& file, const std::string& text)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

inline std::string readText(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string allLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

inline bool hasLine(const std::vector<std::string>& lines, const std::string& wanted)
{
    for (const std::string& line : lines) {
        if (line == wanted) {
            return true;
        }
    }
    return false;
}

// The table as written: its comment line, its columns and its rows (the
// tests' tables hold no quoted fields).
struct Table {
    std::string comment;
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;

    std::size_t columnOf(const std::string& name) const
    {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (columns[i] == name) {
                return i;
            }
        }
        return columns.size();
    }
    // Empty when the table has no such column.
    std::string field(std::size_t row, const std::string& column) const
    {
        const std::size_t i = columnOf(column);
        return i < rows[row].size() ? rows[row][i] : std::string();
    }
};

inline std::vector<std::string> splitFields(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t comma = line.find(','); comma != std::string::npos; comma = line.find(',', start)) {
        fields.push_back(line.substr(start, comma - start));
        start = comma + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

inline Table readTable(const std::filesystem::path& file)
{
    Table table;
    const std::vector<std::string> lines = readTextLines(file);
    if (lines.size() < 2) {
        return table;
    }
    table.comment = lines[0];
    table.columns = splitFields(lines[1]);
    for (std::size_t i = 2; i < lines.size(); ++i) {
        table.rows.push_back(splitFields(lines[i]));
    }
    return table;
}

// The double a field reads back to.
inline double numberIn(const std::string& field)
{
    double value = 0.0;
    std::from_chars(field.data(), field.data() + field.size(), value);
    return value;
}

}  // namespace kesp::scantest
