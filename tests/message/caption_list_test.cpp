// The caption list: counting and splitting must agree, word for word.

#include "message/CustomMessage.h"
#include "message/frmCustomMessage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using host::Integer;

struct ListCase {
    const wchar_t* list;
    short count;
    std::vector<std::wstring> words; // words 1..count
};

const ListCase kLists[] = {
    {L"Yes,No,Cancel", 3, {L"Yes", L"No", L"Cancel"}},
    {L"OK", 1, {L"OK"}},
    {L"Yes,,No", 3, {L"Yes", L"", L"No"}},
    {L",Yes", 2, {L"", L"Yes"}},
    {L"Yes,", 2, {L"Yes", L""}},
    {L" Yes , No ", 2, {L" Yes ", L" No "}},
    {L"", 1, {L""}},
    {L"&Yes,&No", 2, {L"&Yes", L"&No"}},
    {L",", 2, {L"", L""}},
    {L"a;b,c", 2, {L"a;b", L"c"}},
};

TEST(CaptionList, CountAndWordsAgree)
{
    for (const auto& c : kLists) {
        SCOPED_TRACE(testing::Message() << "list \"" << std::wstring(c.list) << "\"");
        EXPECT_EQ(CustomMessage::CountDelimitedWords(c.list).value(), c.count);
        for (size_t i = 0; i < c.words.size(); ++i)
            EXPECT_EQ(frmCustomMessage::GetDelimitedWord(c.list, Integer(static_cast<short>(i + 1)), L","), c.words[i])
                << "word " << i + 1;
    }
}

TEST(CaptionList, IndexOutsideTheWordsCountsOnFromTheFirst)
{
    const struct {
        short index;
        const wchar_t* word;
    } cases[] = {{3, L"A"}, {4, L"B"}, {5, L"A"}, {0, L"A"}, {-5, L"A"}, {-32768, L"A"}, {32767, L"A"}};
    for (const auto& c : cases)
        EXPECT_EQ(frmCustomMessage::GetDelimitedWord(L"A,B", Integer(c.index), L","), c.word) << "index " << c.index;
    // Three words repeat with period three.
    EXPECT_EQ(frmCustomMessage::GetDelimitedWord(L"x,y,z", Integer(8), L","), L"y");
}

TEST(CaptionList, LongerThan32767CharactersOverflows)
{
    const std::wstring longest(32767, L'a');
    EXPECT_EQ(CustomMessage::CountDelimitedWords(longest).value(), 1);
    const std::wstring tooLong(32768, L'a');
    try {
        CustomMessage::CountDelimitedWords(tooLong);
        FAIL() << "no overflow";
    } catch (const veldlg::Error& e) {
        EXPECT_EQ(e.hr(), veldlg::ErrorNumberResult(6));
        EXPECT_EQ(e.description(), L"Overflow");
    }
    // A word past position 32767 cannot be reached in 16 bits either.
    const std::wstring farWord = std::wstring(32767, L'a') + L",b";
    EXPECT_THROW(frmCustomMessage::GetDelimitedWord(farWord, Integer(2), L","), veldlg::Error);
    // Without a delimiter the whole text's length is an overflow too.
    EXPECT_THROW(frmCustomMessage::GetDelimitedWord(tooLong, Integer(1), L","), veldlg::Error);
}

TEST(CaptionList, EmptyDelimiterGivesEmptyWords)
{
    // The dialog always passes ","; an empty delimiter must still end.
    EXPECT_EQ(frmCustomMessage::GetDelimitedWord(L"abc", Integer(1), L""), L"");
    EXPECT_EQ(frmCustomMessage::GetDelimitedWord(L"abc", Integer(3), L""), L"");
}

} // namespace
