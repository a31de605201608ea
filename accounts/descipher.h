// The password cipher: DES (FIPS 46) in electronic-codebook mode under an
// 8-byte key whose bytes are bit-reversed before the standard key schedule,
// and the three framings stored in menu files and the registry:
//   text form   - names, passwords, rights: hexadecimal text plus filler;
//   byte form   - record bodies: the bytes plus 1 to 8 filler bytes;
//   padded form - keystrokes and the remembered item key: 1 to 8 pad bytes,
//                 each the complement of the last text byte.
// Filler bytes lie in 0xA0..0xEF, above every hexadecimal character.
#pragma once

#include <cstdint>
#include <string>

// The key built into the program, the same in every installation; account
// files and the remembered item key are enciphered under it.
extern const unsigned char kProgramKey[8];

class CDesCipher {
public:
    // Block operations on n whole 8-byte blocks in place; 0 if `data` is
    // null or n <= 0.
    int encipherBlocks(const unsigned char* key, unsigned char* data, int blocks);
    int decipherBlocks(const unsigned char* key, unsigned char* data, int blocks);

    // Appends 8 - (length % 8) pad bytes (the complement of data[length-1])
    // and enciphers length/8 + 1 blocks; `data` must have room for them.
    // 0 if `data` is null or length < 1.
    int encipherPadded(const unsigned char* key, unsigned char* data, int length);
    // Deciphers `blocks` blocks in place; with `outLength`, also checks the
    // padding and gives the text length. 0 if `data` is null, blocks < 1 or
    // the padding is wrong.
    int decipherPadded(const unsigned char* key, unsigned char* data, int blocks, int* outLength);

    // The padded form on strings: the enciphered value of a non-empty text
    // ((length/8 + 1) * 8 bytes, any byte values); empty for an empty text.
    std::string encipherPaddedString(const unsigned char* key, const std::string& text);
    // Deciphers the whole blocks of `value` and checks the padding; 1 with
    // the text, or 0 (value shorter than one block, wrong key, damage) with
    // `text` emptied.
    int decipherPaddedString(const unsigned char* key, const std::string& value, std::string& text);

    // Text and byte forms, always under the program key.
    std::string encipherText(const std::string& text);
    // Empty on any inconsistency (odd length, a non-hexadecimal character).
    std::string decipherText(const std::string& cipher);
    // Tells an empty text (blocks of nothing but filler) from a value that
    // does not decipher: 1 with the text, or 0 with `text` emptied when the
    // value holds no whole block, or what is left of its whole blocks after
    // the filler is an odd count or not hexadecimal.
    int decipherText(const std::string& cipher, std::string& text);
    std::string encipherBytes(const std::string& bytes);
    // Every deciphered byte of the whole blocks, filler included; a trailing
    // partial block is dropped.
    std::string decipherBytes(const std::string& cipher);

    // Appends `count` filler bytes (0xA0..0xEF). Seeds the runtime's
    // generator with the current second first, as the stored files always
    // had it.
    static void AppendFiller(std::string& text, int count);

private:
    // The key last set up and its 16 round keys of two words each, in the
    // order the rounds use them for either direction; a call with the same
    // key reuses them.
    unsigned char m_key[8] = {};
    bool m_hasKey = false;
    std::uint32_t m_encipher[32] = {};
    std::uint32_t m_decipher[32] = {};

    // Sets up `key` unless it is the one set up last.
    void SetKey(const unsigned char* key);
    static void CryptBlocks(const std::uint32_t* schedule, unsigned char* data, int blocks);
};
