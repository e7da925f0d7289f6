// The one Windows-1252 table: every byte has a character and comes back unchanged, the five
// unassigned bytes included; characters outside the code page have no byte.
#include "common/cp1252.h"

#include <gtest/gtest.h>

namespace
{

using namespace kelvora;

TEST(Cp1252, BytesAndTheirCharacters)
{
    struct Case {
        unsigned char byte;
        char16_t character;
        bool unassigned;
    };
    const Case cases[] = {
        {0x00, u'\0', false}, {0x41, u'A', false},  {0x7F, 0x007F, false}, {0x80, u'€', false},
        {0x81, 0x0081, true}, {0x8A, u'Š', false},  {0x8C, u'Œ', false},   {0x8D, 0x008D, true},
        {0x8E, u'Ž', false},  {0x8F, 0x008F, true}, {0x90, 0x0090, true},  {0x92, u'’', false},
        {0x9C, u'œ', false},  {0x9D, 0x009D, true}, {0x9F, u'Ÿ', false},   {0xA0, 0x00A0, false},
        {0xAB, u'«', false},  {0xE9, u'é', false},  {0xFF, u'ÿ', false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.byte));
        EXPECT_EQ(cp1252::toUnicode(c.byte), c.character);
        EXPECT_EQ(cp1252::fromUnicode(c.character), c.byte);
        EXPECT_EQ(cp1252::isUnassigned(c.byte), c.unassigned);
    }
}

TEST(Cp1252, EveryByteComesBackUnchanged)
{
    int unassigned = 0;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        EXPECT_EQ(cp1252::fromUnicode(cp1252::toUnicode(byte)), byte) << b;
        unassigned += cp1252::isUnassigned(byte) ? 1 : 0;
    }
    EXPECT_EQ(unassigned, 5);
}

TEST(Cp1252, CharactersOutsideTheCodePageHaveNoByte)
{
    // U+0080 and U+009F are C1 controls whose bytes hold € and Ÿ.
    for (char16_t c : {char16_t(0x0080), char16_t(0x009F), char16_t(0x0100), char16_t(0x0141),
                       char16_t(0x4E2D), char16_t(0xD83D), char16_t(0xDE00), char16_t(0xFFFD)})
        EXPECT_EQ(cp1252::fromUnicode(c), std::nullopt) << int(c);
}

} // namespace
