// The manual's examples, run as a reader runs them: each script under
// cscript, each C++ example as built, against the registered DLL. Every
// dialog is answered with keys as a user would; the example must print what
// the manual says, and the manual must quote the example as it stands.

#include "support/robot.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using namespace std::chrono_literals;

struct Example {
    std::wstring file; // in docs/examples; a .cpp runs as example_<name>.exe
    std::vector<std::vector<WORD>> answers; // the keys for each dialog, in order
    std::string output;
};

const std::string kCaptions = "Number of captions does not equal number of buttons\n";
const std::vector<Example> kExamples = {
    {L"message.vbs", {{VK_ESCAPE}}, "Button 3: Cancel\nError 1 (Custom Message): " + kCaptions},
    {L"message.js", {{VK_RETURN}}, "Button 1: &Yes\nError 1: " + kCaptions},
    {L"message.cpp", {{VK_F2}}, "Button 3: Cancel\nError 1 (Custom Message): " + kCaptions},
    {L"startpos.vbs", {{VK_RETURN}},
     "Column 1, row 1\nError 3 (Label Start Position): Property: \"NumColumns\" cannot be greater than 10!\n"},
    {L"startpos.js", {{VK_RIGHT, VK_SPACE}}, "Column 1, row 2\nError 1: Properties: \"NumRows\" And "
                                             "\"NumColumns\" require a value greater than 0!\n"},
    {L"startpos.cpp", {{VK_RETURN}}, "Column 1, row 1\nError 2 (Label Start Position): "
                                     "Property: \"NumRows\" cannot be greater than 20!\n"},
    {L"daterange.vbs", {{VK_ESCAPE}}, "Cancelled\n"},
    {L"daterange.js", {{VK_RETURN}}, "From 2024-07-01 to 2024-07-31\n"},
    {L"daterange.cpp", {{VK_RETURN}}, "From 2024-07-01 to 2024-07-31\n"},
    {L"list.vbs", {}, "Error 13 (VELDLG): Type mismatch\n"},
    {L"list.js", {}, "Error 13: Type mismatch\n"},
    {L"list.cpp", {{VK_DOWN, VK_DOWN, VK_RETURN}}, "Item 2: Warehouse Label Printer\n"},
};

std::string Read(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Runs an example with its output in a pipe, answering its dialogs; cmd
// takes off the outer quotes.
std::string RunExample(const Example& e)
{
    const std::wstring name = e.file.substr(0, e.file.find(L'.'));
    const std::wstring command = e.file.ends_with(L".cpp")
                                     ? L"\"\"" EXAMPLES_DIR "/example_" + name + L".exe\"\""
                                     : L"\"cscript //nologo \"" DOCS_DIR "/examples/" + e.file + L"\"\"";
    FILE* pipe = _wpopen(command.c_str(), L"rb");
    EXPECT_TRUE(pipe);
    for (const std::vector<WORD>& keys : e.answers) {
        const HWND dialog = robot::WaitForForm(0, 20s);
        EXPECT_TRUE(dialog) << "a dialog was to appear";
        if (!dialog) break;
        for (WORD key : keys) robot::Press(key);
        EXPECT_TRUE(robot::WaitUntilGone(dialog));
    }
    std::string output;
    for (int c; pipe && (c = fgetc(pipe)) != EOF;) output += c == '\r' ? "" : std::string(1, static_cast<char>(c));
    EXPECT_EQ(pipe ? _pclose(pipe) : -1, 0);
    return output;
}

TEST(Docs, ExamplesPrintWhatTheManualSaysAndAreQuotedAsTheyStand)
{
    std::string pages;
    for (const auto& file : std::filesystem::directory_iterator(DOCS_DIR))
        if (file.path().extension() == ".md") pages += Read(file.path());
    EXPECT_NE(pages.find(Read(DOCS_DIR "/examples/example.h")), std::string::npos) << "example.h";
    for (const Example& e : kExamples) {
        SCOPED_TRACE(testing::Message() << e.file);
        EXPECT_NE(pages.find(Read(DOCS_DIR L"/examples/" + e.file)), std::string::npos) << "not quoted as it stands";
        EXPECT_EQ(RunExample(e), e.output);
    }
}

} // namespace
