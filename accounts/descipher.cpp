#include "descipher.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "ahcommon/packet.h"

const unsigned char kProgramKey[8] = {0x3C, 0x5E, 0x71, 0xA2, 0x09, 0xD4, 0xB8, 0x66};

namespace {

// The tables of the standard, bit positions counted from 1 at the most
// significant bit.
const unsigned char kPermutedChoice1[56] = {
    57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18,
    10, 2,  59, 51, 43, 35, 27, 19, 11, 3,  60, 52, 44, 36,
    63, 55, 47, 39, 31, 23, 15, 7,  62, 54, 46, 38, 30, 22,
    14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};

const unsigned char kPermutedChoice2[48] = {
    14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10,
    23, 19, 12, 4,  26, 8,  16, 7,  27, 20, 13, 2,
    41, 52, 31, 37, 47, 55, 30, 40, 51, 45, 33, 48,
    44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};

const unsigned char kRotations[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

const unsigned char kPermutation[32] = {
    16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23, 26, 5,  18, 31, 10,
    2,  8, 24, 14, 32, 27, 3,  9,  19, 13, 30, 6,  22, 11, 4,  25};

const unsigned char kSBoxes[8][64] = {
    {14, 4,  13, 1, 2,  15, 11, 8,  3,  10, 6,  12, 5,  9,  0, 7,
     0,  15, 7,  4, 14, 2,  13, 1,  10, 6,  12, 11, 9,  5,  3, 8,
     4,  1,  14, 8, 13, 6,  2,  11, 15, 12, 9,  7,  3,  10, 5, 0,
     15, 12, 8,  2, 4,  9,  1,  7,  5,  11, 3,  14, 10, 0,  6, 13},
    {15, 1,  8,  14, 6,  11, 3,  4,  9,  7, 2,  13, 12, 0, 5,  10,
     3,  13, 4,  7,  15, 2,  8,  14, 12, 0, 1,  10, 6,  9, 11, 5,
     0,  14, 7,  11, 10, 4,  13, 1,  5,  8, 12, 6,  9,  3, 2,  15,
     13, 8,  10, 1,  3,  15, 4,  2,  11, 6, 7,  12, 0,  5, 14, 9},
    {10, 0,  9,  14, 6, 3,  15, 5,  1,  13, 12, 7,  11, 4,  2,  8,
     13, 7,  0,  9,  3, 4,  6,  10, 2,  8,  5,  14, 12, 11, 15, 1,
     13, 6,  4,  9,  8, 15, 3,  0,  11, 1,  2,  12, 5,  10, 14, 7,
     1,  10, 13, 0,  6, 9,  8,  7,  4,  15, 14, 3,  11, 5,  2,  12},
    {7,  13, 14, 3, 0,  6,  9,  10, 1,  2, 8, 5,  11, 12, 4,  15,
     13, 8,  11, 5, 6,  15, 0,  3,  4,  7, 2, 12, 1,  10, 14, 9,
     10, 6,  9,  0, 12, 11, 7,  13, 15, 1, 3, 14, 5,  2,  8,  4,
     3,  15, 0,  6, 10, 1,  13, 8,  9,  4, 5, 11, 12, 7,  2,  14},
    {2,  12, 4,  1,  7,  10, 11, 6,  8,  5,  3,  15, 13, 0, 14, 9,
     14, 11, 2,  12, 4,  7,  13, 1,  5,  0,  15, 10, 3,  9, 8,  6,
     4,  2,  1,  11, 10, 13, 7,  8,  15, 9,  12, 5,  6,  3, 0,  14,
     11, 8,  12, 7,  1,  14, 2,  13, 6,  15, 0,  9,  10, 4, 5,  3},
    {12, 1,  10, 15, 9, 2,  6,  8,  0,  13, 3,  4,  14, 7,  5,  11,
     10, 15, 4,  2,  7, 12, 9,  5,  6,  1,  13, 14, 0,  11, 3,  8,
     9,  14, 15, 5,  2, 8,  12, 3,  7,  0,  4,  10, 1,  13, 11, 6,
     4,  3,  2,  12, 9, 5,  15, 10, 11, 14, 1,  7,  6,  0,  8,  13},
    {4,  11, 2,  14, 15, 0, 8,  13, 3,  12, 9, 7,  5,  10, 6, 1,
     13, 0,  11, 7,  4,  9, 1,  10, 14, 3,  5, 12, 2,  15, 8, 6,
     1,  4,  11, 13, 12, 3, 7,  14, 10, 15, 6, 8,  0,  5,  9, 2,
     6,  11, 13, 8,  1,  4, 10, 7,  9,  5,  0, 15, 14, 2,  3, 12},
    {13, 2,  8,  4, 6,  15, 11, 1,  10, 9,  3,  14, 5,  0,  12, 7,
     1,  15, 13, 8, 10, 3,  7,  4,  12, 5,  6,  11, 0,  14, 9,  2,
     7,  11, 4,  1, 9,  12, 14, 2,  0,  6,  10, 13, 15, 3,  5,  8,
     2,  1,  14, 7, 4,  10, 8,  13, 15, 12, 9,  0,  3,  5,  6,  11}};

// The schedule of the standard: the 16 round keys of `key` (already in the
// standard bit order) in the order enciphering uses them, each as two words
// of four six-bit groups, group 1 in bits 23..18 of the first word. Slow, so
// it only serves to build the tables below.
void StandardSchedule(const unsigned char* key, std::uint32_t* raw)
{
    std::uint64_t k = 0;
    for (int i = 0; i < 8; ++i) k = (k << 8) | key[i];

    std::uint64_t cd = 0;  // C in bits 55..28, D in bits 27..0
    for (int bit = 0; bit < 56; ++bit) {
        if (k & (0x8000000000000000ull >> (kPermutedChoice1[bit] - 1))) cd |= 1ull << (55 - bit);
    }
    std::uint32_t c = static_cast<std::uint32_t>(cd >> 28) & 0x0FFFFFFF;
    std::uint32_t d = static_cast<std::uint32_t>(cd) & 0x0FFFFFFF;

    for (int round = 0; round < 16; ++round) {
        for (int r = 0; r < kRotations[round]; ++r) {
            c = ((c << 1) | (c >> 27)) & 0x0FFFFFFF;
            d = ((d << 1) | (d >> 27)) & 0x0FFFFFFF;
        }
        const std::uint64_t joined = (static_cast<std::uint64_t>(c) << 28) | d;
        std::uint64_t subkey = 0;  // 48 bits, the eight six-bit groups from the top
        for (int bit = 0; bit < 48; ++bit) {
            if (joined & (1ull << (56 - kPermutedChoice2[bit]))) subkey |= 1ull << (47 - bit);
        }
        raw[2 * round] = static_cast<std::uint32_t>(subkey >> 24) & 0xFFFFFF;
        raw[2 * round + 1] = static_cast<std::uint32_t>(subkey) & 0xFFFFFF;
    }
}

unsigned char ReverseBits(unsigned char b)
{
    unsigned char r = 0;
    for (int i = 0; i < 8; ++i) {
        if (b & (1 << i)) r |= static_cast<unsigned char>(0x80 >> i);
    }
    return r;
}

std::uint32_t RotateLeft(std::uint32_t v, int n) { return (v << n) | (v >> (32 - n)); }

// Tables derived once from the standard ones.
//
// The rounds keep both halves rotated left by one bit, so that each
// expansion group is six adjacent bits of either the half or the half
// rotated by four: the round key's groups are rearranged to match ("round
// words"), and the S-box tables give their output permuted by P and rotated
// the same way.
struct DesTables {
    // S-box i followed by P and the rotation, indexed by the box's six input
    // bits in the standard order.
    std::uint32_t sp[8][64];
    // The round words each bit of a stored key contributes (stored byte i,
    // bit j at [8 * i + j]), in enciphering order. Every round key bit is one
    // key bit, so a schedule is the OR of the entries of the key's set bits.
    std::uint32_t keyBit[64][32];

    DesTables()
    {
        for (int box = 0; box < 8; ++box) {
            for (int in = 0; in < 64; ++in) {
                const int row = ((in >> 4) & 2) | (in & 1);
                const int column = (in >> 1) & 15;
                const std::uint32_t s = static_cast<std::uint32_t>(kSBoxes[box][row * 16 + column])
                                        << (28 - 4 * box);
                std::uint32_t p = 0;
                for (int bit = 0; bit < 32; ++bit) {
                    if (s & (0x80000000u >> (kPermutation[bit] - 1))) p |= 0x80000000u >> bit;
                }
                sp[box][in] = RotateLeft(p, 1);
            }
        }
        for (int bit = 0; bit < 64; ++bit) {
            unsigned char standardKey[8] = {0, 0, 0, 0, 0, 0, 0, 0};
            standardKey[bit / 8] = ReverseBits(static_cast<unsigned char>(1u << (bit % 8)));
            std::uint32_t raw[32];
            StandardSchedule(standardKey, raw);
            for (int round = 0; round < 16; ++round) {
                const std::uint32_t a = raw[2 * round], b = raw[2 * round + 1];
                // Groups 1, 3, 5, 7 go with the half rotated by four, 2, 4,
                // 6, 8 with the half itself; each at the byte the round
                // takes it from.
                keyBit[bit][2 * round] = ((a & 0x00FC0000u) << 6) | ((a & 0x00000FC0u) << 10) |
                                         ((b & 0x00FC0000u) >> 10) | ((b & 0x00000FC0u) >> 6);
                keyBit[bit][2 * round + 1] = ((a & 0x0003F000u) << 12) | ((a & 0x0000003Fu) << 16) |
                                             ((b & 0x0003F000u) >> 4) | (b & 0x0000003Fu);
            }
        }
    }
};

const DesTables& Tables()
{
    static const DesTables tables;
    return tables;
}

// Swaps the bits of `a` selected by `mask` << n with those of `b` selected
// by `mask`: the permutations are such swaps and rotations.
inline void SwapBits(std::uint32_t& a, std::uint32_t& b, int n, std::uint32_t mask)
{
    const std::uint32_t t = ((a >> n) ^ b) & mask;
    b ^= t;
    a ^= t << n;
}

// The initial permutation of a block read as two big-endian words, leaving
// the halves rotated left by one as the rounds want them.
inline void InitialPermutation(std::uint32_t& left, std::uint32_t& right)
{
    SwapBits(left, right, 4, 0x0F0F0F0Fu);
    SwapBits(left, right, 16, 0x0000FFFFu);
    SwapBits(right, left, 2, 0x33333333u);
    SwapBits(right, left, 8, 0x00FF00FFu);
    right = RotateLeft(right, 1);
    const std::uint32_t t = (left ^ right) & 0xAAAAAAAAu;
    left ^= t;
    right ^= t;
    left = RotateLeft(left, 1);
}

// The inverse of InitialPermutation; `left` is the high word.
inline void FinalPermutation(std::uint32_t& left, std::uint32_t& right)
{
    left = RotateLeft(left, 31);
    const std::uint32_t t = (left ^ right) & 0xAAAAAAAAu;
    left ^= t;
    right ^= t;
    right = RotateLeft(right, 31);
    SwapBits(right, left, 8, 0x00FF00FFu);
    SwapBits(right, left, 2, 0x33333333u);
    SwapBits(left, right, 16, 0x0000FFFFu);
    SwapBits(left, right, 4, 0x0F0F0F0Fu);
}

// f(r, k) of one round, r rotated left by one.
inline std::uint32_t RoundFunction(const std::uint32_t (&sp)[8][64], std::uint32_t r, std::uint32_t k0,
                                   std::uint32_t k1)
{
    const std::uint32_t odd = RotateLeft(r, 28) ^ k0;
    const std::uint32_t even = r ^ k1;
    return sp[6][odd & 63] ^ sp[4][(odd >> 8) & 63] ^ sp[2][(odd >> 16) & 63] ^ sp[0][(odd >> 24) & 63] ^
           sp[7][even & 63] ^ sp[5][(even >> 8) & 63] ^ sp[3][(even >> 16) & 63] ^ sp[1][(even >> 24) & 63];
}

inline std::uint32_t LoadBigEndian(const unsigned char* p)
{
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
}

inline void StoreBigEndian(unsigned char* p, std::uint32_t v)
{
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

// Enciphers or deciphers (as the schedule `k` says) n adjacent blocks.
// Several blocks go through the rounds side by side: a round of one block
// waits on its table look-ups, and the other blocks' rounds fill that time.
template <int n>
inline void CryptLanes(const std::uint32_t (&sp)[8][64], const std::uint32_t* k, unsigned char* data)
{
    std::uint32_t left[n], right[n];
    for (int i = 0; i < n; ++i) {
        left[i] = LoadBigEndian(data + 8 * i);
        right[i] = LoadBigEndian(data + 8 * i + 4);
        InitialPermutation(left[i], right[i]);
    }
#pragma GCC unroll 8
    for (int round = 0; round < 16; round += 2) {
#pragma GCC unroll 4
        for (int i = 0; i < n; ++i) left[i] ^= RoundFunction(sp, right[i], k[2 * round], k[2 * round + 1]);
#pragma GCC unroll 4
        for (int i = 0; i < n; ++i) right[i] ^= RoundFunction(sp, left[i], k[2 * round + 2], k[2 * round + 3]);
    }
    for (int i = 0; i < n; ++i) {
        // The halves come out swapped, as the last round leaves them.
        FinalPermutation(right[i], left[i]);
        StoreBigEndian(data + 8 * i, right[i]);
        StoreBigEndian(data + 8 * i + 4, left[i]);
    }
}

// Enough blocks side by side to hide the look-ups, few enough for the registers.
const int kLanes = 4;

}  // namespace

void CDesCipher::SetKey(const unsigned char* key)
{
    if (m_hasKey && std::memcmp(m_key, key, sizeof m_key) == 0) return;
    // Callers make a cipher for each value they read, one after another
    // under the same key (every item's keystrokes under the item key), so
    // each thread keeps the schedule it set up last.
    struct LastKey {
        bool set;
        unsigned char key[8];
        std::uint32_t encipher[32];
        std::uint32_t decipher[32];
    };
    static thread_local LastKey last;
    if (!last.set || std::memcmp(last.key, key, sizeof last.key) != 0) {
        // The stored key bytes are the standard key with each byte's bits
        // in reverse order (so the ignored parity bit is the stored byte's
        // bit 7); the table entries already account for that.
        const DesTables& t = Tables();
        std::uint32_t schedule[32] = {};
        for (int bit = 0; bit < 64; ++bit) {
            if (((key[bit / 8] >> (bit % 8)) & 1) == 0) continue;
            for (int w = 0; w < 32; ++w) schedule[w] |= t.keyBit[bit][w];
        }
        for (int round = 0; round < 16; ++round) {
            last.encipher[2 * round] = schedule[2 * round];
            last.encipher[2 * round + 1] = schedule[2 * round + 1];
            last.decipher[2 * (15 - round)] = schedule[2 * round];
            last.decipher[2 * (15 - round) + 1] = schedule[2 * round + 1];
        }
        std::memcpy(last.key, key, sizeof last.key);
        last.set = true;
    }
    std::memcpy(m_encipher, last.encipher, sizeof m_encipher);
    std::memcpy(m_decipher, last.decipher, sizeof m_decipher);
    std::memcpy(m_key, key, sizeof m_key);
    m_hasKey = true;
}

void CDesCipher::CryptBlocks(const std::uint32_t* k, unsigned char* data, int blocks)
{
    const std::uint32_t(&sp)[8][64] = Tables().sp;
    int b = 0;
    for (; b + kLanes <= blocks; b += kLanes) CryptLanes<kLanes>(sp, k, data + 8 * b);
    for (; b < blocks; ++b) CryptLanes<1>(sp, k, data + 8 * b);
}

int CDesCipher::encipherBlocks(const unsigned char* key, unsigned char* data, int blocks)
{
    if (data == nullptr || key == nullptr || blocks <= 0) return 0;
    SetKey(key);
    CryptBlocks(m_encipher, data, blocks);
    return 1;
}

int CDesCipher::decipherBlocks(const unsigned char* key, unsigned char* data, int blocks)
{
    if (data == nullptr || key == nullptr || blocks <= 0) return 0;
    SetKey(key);
    CryptBlocks(m_decipher, data, blocks);
    return 1;
}

int CDesCipher::encipherPadded(const unsigned char* key, unsigned char* data, int length)
{
    if (data == nullptr || key == nullptr || length < 1) return 0;
    const unsigned char pad = static_cast<unsigned char>(~data[length - 1]);
    const int padded = (length / 8 + 1) * 8;
    for (int i = length; i < padded; ++i) data[i] = pad;
    return encipherBlocks(key, data, padded / 8);
}

int CDesCipher::decipherPadded(const unsigned char* key, unsigned char* data, int blocks, int* outLength)
{
    if (data == nullptr || key == nullptr || blocks < 1) return 0;
    decipherBlocks(key, data, blocks);
    if (outLength == nullptr) return 1;
    const int last = 8 * blocks - 1;
    const unsigned char b = data[last];
    int i = last;
    while (i > 0 && data[i] == b) --i;
    if (data[i] != static_cast<unsigned char>(~b) || i + 1 < 8 * blocks - 8) return 0;
    *outLength = i + 1;
    return 1;
}

std::string CDesCipher::encipherPaddedString(const unsigned char* key, const std::string& text)
{
    if (text.empty()) return std::string();
    std::string value(text);
    value.resize((text.size() / 8 + 1) * 8);
    encipherPadded(key, reinterpret_cast<unsigned char*>(&value[0]), static_cast<int>(text.size()));
    return value;
}

int CDesCipher::decipherPaddedString(const unsigned char* key, const std::string& value, std::string& text)
{
    text.clear();
    const int blocks = static_cast<int>(value.size() / 8);
    if (blocks < 1) return 0;
    std::string plain(value, 0, static_cast<std::string::size_type>(blocks) * 8);
    int length = 0;
    if (!decipherPadded(key, reinterpret_cast<unsigned char*>(&plain[0]), blocks, &length)) return 0;
    plain.resize(static_cast<std::string::size_type>(length));
    text.swap(plain);
    return 1;
}

void CDesCipher::AppendFiller(std::string& text, int count)
{
    std::srand(static_cast<unsigned int>(std::time(nullptr)));
    for (int i = 0; i < count; ++i) text += static_cast<char>(0xA0 + std::rand() % 80);
}

std::string CDesCipher::encipherText(const std::string& text)
{
    std::string plain;
    if (!text.empty()) {
        plain = Bit8ToBit16(text);
    } else {
        AppendFiller(plain, 8 + std::rand() % 32);
    }
    if (plain.size() % 8 != 0) AppendFiller(plain, static_cast<int>(8 - plain.size() % 8));
    encipherBlocks(kProgramKey, reinterpret_cast<unsigned char*>(&plain[0]), static_cast<int>(plain.size() / 8));
    return plain;
}

std::string CDesCipher::decipherText(const std::string& cipher)
{
    std::string text;
    decipherText(cipher, text);
    return text;
}

int CDesCipher::decipherText(const std::string& cipher, std::string& text)
{
    text.clear();
    // Even the empty text is stored as at least one block of filler.
    if (cipher.size() < 8) return 0;
    std::string plain = decipherBytes(cipher);
    std::string::size_type kept = 0;
    for (char c : plain) {
        if (static_cast<unsigned char>(c) < 0xA0) plain[kept++] = c;
    }
    plain.resize(kept);
    if (plain.empty()) return 1;
    if (plain.size() % 2 != 0) return 0;
    text = Bit16ToBit8(plain);
    return text.empty() ? 0 : 1;
}

std::string CDesCipher::encipherBytes(const std::string& bytes)
{
    std::string plain(bytes);
    AppendFiller(plain, static_cast<int>(8 - plain.size() % 8));
    encipherBlocks(kProgramKey, reinterpret_cast<unsigned char*>(&plain[0]), static_cast<int>(plain.size() / 8));
    return plain;
}

std::string CDesCipher::decipherBytes(const std::string& cipher)
{
    const std::string::size_type blocks = cipher.size() / 8;
    std::string plain(cipher, 0, blocks * 8);
    if (blocks > 0) decipherBlocks(kProgramKey, reinterpret_cast<unsigned char*>(&plain[0]), static_cast<int>(blocks));
    return plain;
}
