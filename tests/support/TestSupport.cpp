#include "support/TestSupport.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <gtest/gtest.h>

namespace orvel::test {

bool haveZint() {
    static const bool found = std::system("command -v zint > /dev/null 2>&1") == 0;
    return found;
}

int runCommand(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') quoted += "'\\''";
        else quoted += c;
    }
    return quoted + "'";
}

std::filesystem::path testDirectory(const std::string& name) {
    // CTest runs tests in parallel, each in its own process: one directory per
    // test keeps one test from wiping another's files.
    std::filesystem::path dir = std::filesystem::path(ORVEL_BINARY_DIR) / "test-files" / name;
    if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info())
        dir /= std::string(info->test_suite_name()) + "." + info->name();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

std::string commandOutput(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string output;
    if (!pipe) return output;
    std::array<char, 4096> buffer{};
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) output.append(buffer.data(), n);
    return output;
}

std::vector<std::vector<int>> parseZintDump(const std::string& text) {
    std::vector<std::vector<int>> rows;
    std::vector<int> row;
    for (const char c : text) {
        if (c == '\n') {
            if (!row.empty()) rows.push_back(std::move(row));
            row.clear();
            continue;
        }
        int nibble = -1;
        if (c >= '0' && c <= '9') nibble = c - '0';
        else if (c >= 'A' && c <= 'F') nibble = c - 'A' + 10;
        if (nibble < 0) continue;
        for (int bit = 3; bit >= 0; --bit) row.push_back((nibble >> bit) & 1);
    }
    if (!row.empty()) rows.push_back(std::move(row));
    return rows;
}

std::vector<std::vector<int>> zintDump(const std::string& arguments) {
    return parseZintDump(commandOutput("zint " + arguments + " --dump 2>/dev/null"));
}

bool zintRender(const std::string& arguments, const std::filesystem::path& path) {
    return runCommand("zint " + arguments + " -o " + shellQuote(path.string()) + " > /dev/null 2>&1") == 0;
}

}  // namespace orvel::test
