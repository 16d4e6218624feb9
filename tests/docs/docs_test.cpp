// The manual's examples, run as a reader runs them: each script under
// cscript, each C++ example as built, against the registered DLL. A dialog
// that an example shows is answered with keys as a user would; the example
// must print what the manual says, and the manual must quote the example as
// it stands.

#include "support/robot.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string Read(const std::filesystem::path& p) { return (std::ostringstream() << std::ifstream(p).rdbuf()).str(); }

TEST(Docs, ExamplesPrintWhatTheManualSaysAndAreQuotedAsTheyStand)
{
    const std::string captions = "Number of captions does not equal number of buttons\n";
    const std::string lsp = " (Label Start Position): Property: \"";
    // Each example in docs/examples (a .cpp runs as example_<name>.exe), the
    // keys that answer its dialog (none: it shows none), and what it prints.
    const struct { std::wstring file; std::vector<WORD> keys; std::string output; } examples[] = {
        {L"message.vbs", {VK_ESCAPE}, "Button 3: Cancel\nError 1 (Custom Message): " + captions},
        {L"message.js", {VK_RETURN}, "Button 1: &Yes\nError 1: " + captions},
        {L"message.cpp", {VK_F2}, "Button 3: Cancel\nError 1 (Custom Message): " + captions},
        {L"startpos.vbs", {VK_RETURN}, "Column 1, row 1\nError 3" + lsp + "NumColumns\" cannot be greater than 10!\n"},
        {L"startpos.js", {VK_RIGHT, VK_SPACE}, "Column 1, row 2\nError 1: Properties: \"NumRows\" And \"NumColumns\" "
                                               "require a value greater than 0!\n"},
        {L"startpos.cpp", {VK_RETURN}, "Column 1, row 1\nError 2" + lsp + "NumRows\" cannot be greater than 20!\n"},
        {L"daterange.vbs", {VK_ESCAPE}, "Cancelled\n"},
        {L"daterange.js", {VK_RETURN}, "From 2024-07-01 to 2024-07-31\n"},
        {L"daterange.cpp", {VK_RETURN}, "From 2024-07-01 to 2024-07-31\n"},
        {L"list.vbs", {}, "Error 13 (VELDLG): Type mismatch\n"},
        {L"list.js", {}, "Error 13: Type mismatch\n"},
        {L"list.cpp", {VK_DOWN, VK_DOWN, VK_RETURN}, "Item 2: Warehouse Label Printer\n"},
    };
    std::string pages;
    for (const auto& file : std::filesystem::directory_iterator(DOCS_DIR))
        if (file.path().extension() == ".md") pages += Read(file.path());
    EXPECT_NE(pages.find(Read(DOCS_DIR "/examples/example.h")), std::string::npos) << "example.h";
    for (const auto& e : examples) {
        SCOPED_TRACE(testing::Message() << e.file);
        EXPECT_NE(pages.find(Read(DOCS_DIR L"/examples/" + e.file)), std::string::npos) << "not quoted as it stands";
        // The output in a text-mode pipe; cmd takes off the outer quotes.
        const std::wstring command = e.file.ends_with(L".cpp")
            ? L"\"\"" EXAMPLES_DIR "/example_" + e.file.substr(0, e.file.size() - 3) + L"exe\"\""
            : L"\"cscript //nologo \"" DOCS_DIR "/examples/" + e.file + L"\"\"";
        FILE* pipe = _wpopen(command.c_str(), L"rt");
        ASSERT_TRUE(pipe);
        const HWND dialog = e.keys.empty() ? nullptr : robot::WaitForForm(0, std::chrono::seconds(20));
        EXPECT_EQ(!dialog, e.keys.empty()) << "a dialog was to appear";
        for (WORD key : dialog ? e.keys : std::vector<WORD>{}) robot::Press(key);
        EXPECT_TRUE(!dialog || robot::WaitUntilGone(dialog));
        std::string output;
        for (int c; (c = fgetc(pipe)) != EOF;) output += static_cast<char>(c);
        EXPECT_EQ(_pclose(pipe), 0);
        EXPECT_EQ(output, e.output);
    }
}

} // namespace
