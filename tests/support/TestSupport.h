#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace orvel::test {

// True when the zint command is on the PATH (the setup script installs it).
bool haveZint();

// Runs a shell command, returns its exit status.
int runCommand(const std::string& command);

// Runs a shell command and returns what it wrote to standard output.
std::string commandOutput(const std::string& command);

// Quotes a text for the shell.
std::string shellQuote(const std::string& text);

// A fresh directory under the build tree for the running test's files
// (named after `name` and the test).
std::filesystem::path testDirectory(const std::string& name);

// The rows of a zint --dump listing as bits (1 = dark module): each
// hexadecimal digit gives four modules, other characters are skipped, and
// empty lines give no row.
std::vector<std::vector<int>> parseZintDump(const std::string& text);

// Runs `zint <arguments> --dump` and returns the symbol's rows as bits
// (1 = dark module). Rows are padded by zint to whole hex digits: trim them to
// the symbol's width where that matters. Empty when zint fails.
std::vector<std::vector<int>> zintDump(const std::string& arguments);

// Renders a picture with `zint <arguments> -o <path>`; true on success.
bool zintRender(const std::string& arguments, const std::filesystem::path& path);

}  // namespace orvel::test
