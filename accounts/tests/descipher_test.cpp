#include "accounts/descipher.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ahcommon/packet.h"

namespace {

std::string Hex(const std::string& bytes) { return Bit8ToBit16(bytes); }
std::string Bytes(const std::string& hex) { return Bit16ToBit8(hex); }

unsigned char* Data(std::string& s) { return reinterpret_cast<unsigned char*>(&s[0]); }

unsigned char ReverseBits(unsigned char b)
{
    unsigned char r = 0;
    for (int i = 0; i < 8; ++i) {
        if (b & (1 << i)) r |= static_cast<unsigned char>(0x80 >> i);
    }
    return r;
}

// A key in the program's form: the standard key's bytes bit-reversed.
std::string ProgramFormKey(const std::string& standardHex)
{
    std::string key = Bytes(standardHex);
    for (char& c : key) c = static_cast<char>(ReverseBits(static_cast<unsigned char>(c)));
    return key;
}

// Published DES test values (standard key, plaintext, ciphertext).
struct KnownAnswer {
    const char* key;
    const char* plain;
    const char* cipher;
};
const KnownAnswer kKnownAnswers[] = {
    {"0123456789ABCDEF", "4E6F772069732074", "3FA40E8A984D4815"},
    {"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},
    {"0101010101010101", "8000000000000000", "95F8A5E5DD31D900"},
    {"0101010101010101", "0000000000000001", "166B40B44ABA4BD6"},
    {"8001010101010101", "0000000000000000", "95A8D72813DAA94D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "690F5B0D9A26939B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "7A389D10354BD271"},
    {"1C587F1C13924FEF", "305532286D6F295A", "63FAC0D034D9F793"},
};

TEST(DesCipherTest, BitReversedKeysGiveThePublishedValues)
{
    CDesCipher cipher;
    for (const KnownAnswer& t : kKnownAnswers) {
        SCOPED_TRACE(t.key);
        const std::string key = ProgramFormKey(t.key);
        std::string block = Bytes(t.plain);
        ASSERT_EQ(1, cipher.encipherBlocks(reinterpret_cast<const unsigned char*>(key.data()), Data(block), 1));
        EXPECT_EQ(t.cipher, Hex(block));
        ASSERT_EQ(1, cipher.decipherBlocks(reinterpret_cast<const unsigned char*>(key.data()), Data(block), 1));
        EXPECT_EQ(t.plain, Hex(block));
    }
}

TEST(DesCipherTest, ParityBitIsBitSevenOfTheStoredKeyByte)
{
    CDesCipher cipher;
    unsigned char key[8] = {0x3C, 0x5E, 0x71, 0xA2, 0x09, 0xD4, 0xB8, 0x66};
    std::string a = "8 bytes!", b = a;
    cipher.encipherBlocks(key, Data(a), 1);
    for (unsigned char& k : key) k ^= 0x80;
    cipher.encipherBlocks(key, Data(b), 1);
    EXPECT_EQ(a, b);
    key[0] ^= 0x01;
    std::string c = "8 bytes!";
    cipher.encipherBlocks(key, Data(c), 1);
    EXPECT_NE(a, c);
}

TEST(DesCipherTest, BlocksAreIndependentAndPartialBlocksUntouched)
{
    CDesCipher cipher;
    std::string data = std::string("ABCDEFGH") + "ABCDEFGH" + "xyz";
    ASSERT_EQ(1, cipher.encipherBlocks(kProgramKey, Data(data), 2));
    EXPECT_EQ(data.substr(0, 8), data.substr(8, 8));
    EXPECT_EQ("xyz", data.substr(16));
}

TEST(DesCipherTest, BadArgumentsTouchNothing)
{
    CDesCipher cipher;
    std::string data = "12345678";
    EXPECT_EQ(0, cipher.encipherBlocks(kProgramKey, nullptr, 1));
    EXPECT_EQ(0, cipher.encipherBlocks(kProgramKey, Data(data), 0));
    EXPECT_EQ(0, cipher.decipherBlocks(kProgramKey, Data(data), -1));
    EXPECT_EQ(0, cipher.encipherPadded(kProgramKey, Data(data), 0));
    EXPECT_EQ(0, cipher.encipherPadded(kProgramKey, nullptr, 3));
    EXPECT_EQ(0, cipher.decipherPadded(kProgramKey, Data(data), 0, nullptr));
    EXPECT_EQ("12345678", data);
}

TEST(DesCipherTest, TextFormOfAdmin)
{
    CDesCipher cipher;
    const std::string value = cipher.encipherText("admin");
    ASSERT_EQ(16u, value.size());
    std::string plain = value;
    cipher.decipherBlocks(kProgramKey, Data(plain), 2);
    EXPECT_EQ("61646D696E", plain.substr(0, 10));
    for (std::size_t i = 10; i < 16; ++i) {
        const unsigned char b = static_cast<unsigned char>(plain[i]);
        EXPECT_TRUE(b >= 0xA0 && b <= 0xEF) << i;
    }
    EXPECT_EQ("admin", cipher.decipherText(value));
}

TEST(DesCipherTest, TextFormRoundTripsAndRejectsInconsistentValues)
{
    CDesCipher cipher;
    for (const std::string& s : {std::string("r"), std::string("rw"), std::string("1234"),
                                std::string("\x00\xFF\xA0 x", 5), std::string(100, '\xEE')}) {
        const std::string value = cipher.encipherText(s);
        EXPECT_EQ(0u, value.size() % 8);
        EXPECT_EQ((2 * s.size() + 7) / 8 * 8, value.size());
        EXPECT_EQ(s, cipher.decipherText(value));
    }
    for (int i = 0; i < 20; ++i) {
        const std::string empty = cipher.encipherText("");
        EXPECT_GE(empty.size(), 8u);
        EXPECT_LE(empty.size(), 40u);
        EXPECT_EQ(0u, empty.size() % 8);
        EXPECT_EQ("", cipher.decipherText(empty));
    }
    // An odd count of hexadecimal characters, and a non-hexadecimal one.
    std::string odd = "ABC\xA0\xA1\xA2\xA3\xA4";
    cipher.encipherBlocks(kProgramKey, Data(odd), 1);
    EXPECT_EQ("", cipher.decipherText(odd));
    std::string bad = "4G\xA0\xA1\xA2\xA3\xA4\xA5";
    cipher.encipherBlocks(kProgramKey, Data(bad), 1);
    EXPECT_EQ("", cipher.decipherText(bad));
    EXPECT_EQ("", cipher.decipherText("short"));
}

TEST(DesCipherTest, TextFormTellsAnEmptyTextFromAValueThatDoesNotDecipher)
{
    CDesCipher cipher;
    const auto enciphered = [&cipher](std::string plain) {
        cipher.encipherBlocks(kProgramKey, Data(plain), static_cast<int>(plain.size() / 8));
        return plain;
    };
    const struct {
        const char* what;
        std::string value;
        int result;
        std::string text;
    } cases[] = {
        {"empty text", cipher.encipherText(""), 1, ""},
        {"five blocks of filler", enciphered(std::string(40, '\xEF')), 1, ""},
        {"text", cipher.encipherText("pw"), 1, "pw"},
        {"odd count", enciphered("ABC\xA0\xA1\xA2\xA3\xA4"), 0, ""},
        {"not hexadecimal", enciphered("4G\xA0\xA1\xA2\xA3\xA4\xA5"), 0, ""},
        {"partial block after the text", cipher.encipherText("pw") + "x", 1, "pw"},
        {"no whole block", "short", 0, ""},
        {"nothing", "", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string text = "stale";
        EXPECT_EQ(c.result, cipher.decipherText(c.value, text));
        EXPECT_EQ(c.text, text);
    }
}

TEST(DesCipherTest, ByteFormAddsOneToEightFillerBytes)
{
    CDesCipher cipher;
    for (std::size_t n : {0u, 1u, 7u, 8u, 15u, 16u}) {
        const std::string bytes(n, '\x5A');
        const std::string value = cipher.encipherBytes(bytes);
        EXPECT_EQ((n / 8 + 1) * 8, value.size()) << n;
        const std::string plain = cipher.decipherBytes(value);
        ASSERT_EQ(value.size(), plain.size());
        EXPECT_EQ(bytes, plain.substr(0, n));
        for (std::size_t i = n; i < plain.size(); ++i) {
            const unsigned char b = static_cast<unsigned char>(plain[i]);
            EXPECT_TRUE(b >= 0xA0 && b <= 0xEF);
        }
    }
    // A trailing partial block is dropped.
    EXPECT_EQ(8u, cipher.decipherBytes(cipher.encipherBytes("1234567") + "xyz").size());
}

TEST(DesCipherTest, PaddedForm)
{
    CDesCipher cipher;
    const unsigned char key[8] = {1, 2, 3, 4, 5, 6, 7, 8};

    std::string abc = "abc" + std::string(5, '\0');
    ASSERT_EQ(1, cipher.encipherPadded(key, Data(abc), 3));
    std::string expected = "abc" + std::string(5, '\x9C');
    cipher.encipherBlocks(key, Data(expected), 1);
    EXPECT_EQ(expected, abc);
    int length = -1;
    ASSERT_EQ(1, cipher.decipherPadded(key, Data(abc), 1, &length));
    EXPECT_EQ(3, length);

    std::string eight = "12345678" + std::string(8, '\0');
    ASSERT_EQ(1, cipher.encipherPadded(key, Data(eight), 8));
    std::string plain = eight;
    cipher.decipherBlocks(key, Data(plain), 2);
    EXPECT_EQ("12345678" + std::string(8, static_cast<char>(~'8')), plain);

    for (std::size_t n = 1; n <= 20; ++n) {
        std::string text;
        for (std::size_t i = 0; i < n; ++i) text += static_cast<char>(i * 37 + n);
        const std::string value = cipher.encipherPaddedString(key, text);
        EXPECT_EQ((n / 8 + 1) * 8, value.size());
        std::string back;
        EXPECT_EQ(1, cipher.decipherPaddedString(key, value, back));
        EXPECT_EQ(text, back);
    }
    EXPECT_EQ("", cipher.encipherPaddedString(key, ""));
}

TEST(DesCipherTest, PaddingChecks)
{
    CDesCipher cipher;
    const unsigned char key[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    struct Case {
        std::string plain;
        int length;  // -1: rejected
    };
    const Case cases[] = {
        {std::string("x") + std::string(15, '\x11'), -1},           // nine equal bytes before the end
        {std::string(8, '\x11'), -1},                                // the run reaches index 0
        {std::string("1234567") + '\xC8', 7},                        // one pad byte
        {std::string("\xEE") + std::string(7, '\x11'), 1},           // seven pad bytes
        {std::string("1234567") + '\x11', -1},                       // pad not the complement
        {std::string("12345678") + std::string(8, '\xC7'), 8},       // a whole block of padding
        {std::string("123456\x38") + std::string(9, '\xC7'), -1},    // complement found, but the run is 9 long
    };
    for (const Case& c : cases) {
        std::string data = c.plain;
        cipher.encipherBlocks(key, Data(data), static_cast<int>(data.size() / 8));
        int length = -1;
        const int ok = cipher.decipherPadded(key, Data(data), static_cast<int>(data.size() / 8), &length);
        EXPECT_EQ(c.length >= 0 ? 1 : 0, ok) << Hex(c.plain);
        if (ok) {
            EXPECT_EQ(c.length, length);
        }
        EXPECT_EQ(c.plain, data);  // left deciphered either way
    }
    std::string text;
    EXPECT_EQ(0, cipher.decipherPaddedString(key, "1234567", text));
    std::string plainOut = "12345678";
    EXPECT_EQ(1, cipher.decipherPadded(key, Data(plainOut), 1, nullptr));
}

}  // namespace
