// The cipher against an independent DES implementation over random keys and
// blocks: enciphering under key k must equal standard DES under k with each
// byte's bits reversed.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/des.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "accounts/descipher.h"

namespace {

unsigned char ReverseBits(unsigned char b)
{
    unsigned char r = 0;
    for (int i = 0; i < 8; ++i) {
        if (b & (1 << i)) r |= static_cast<unsigned char>(0x80 >> i);
    }
    return r;
}

TEST(DesCipherOracleTest, MatchesOpenSslOverRandomKeysAndBlocks)
{
    std::mt19937 random(20261209);
    CDesCipher cipher;
    for (int trial = 0; trial < 20000; ++trial) {
        unsigned char key[8];
        DES_cblock standardKey;
        for (int i = 0; i < 8; ++i) {
            key[i] = static_cast<unsigned char>(random());
            standardKey[i] = ReverseBits(key[i]);
        }
        DES_key_schedule schedule;
        DES_set_key_unchecked(&standardKey, &schedule);

        unsigned char blocks[24];
        for (unsigned char& b : blocks) b = static_cast<unsigned char>(random());
        unsigned char ours[24];
        std::memcpy(ours, blocks, sizeof ours);
        ASSERT_EQ(1, cipher.encipherBlocks(key, ours, 3));
        for (int b = 0; b < 3; ++b) {
            DES_cblock in, out;
            std::memcpy(in, blocks + 8 * b, 8);
            DES_ecb_encrypt(&in, &out, &schedule, DES_ENCRYPT);
            ASSERT_EQ(0, std::memcmp(out, ours + 8 * b, 8)) << "trial " << trial << " block " << b;
        }
        ASSERT_EQ(1, cipher.decipherBlocks(key, ours, 3));
        ASSERT_EQ(0, std::memcmp(blocks, ours, sizeof ours)) << "trial " << trial;
    }
}

// Whole buffers of every length class the cipher treats apart (fewer blocks
// than it takes side by side, exactly as many, a remainder, a long buffer),
// under keys that change from call to call on the same cipher and across
// ciphers, in both directions.
TEST(DesCipherOracleTest, MatchesOpenSslOverBuffersUnderKeysInTurn)
{
    std::mt19937 random(20261210);
    const int kBlockCounts[] = {1, 2, 3, 4, 5, 7, 8, 9, 12, 1027};
    std::vector<std::vector<unsigned char>> keys;
    keys.emplace_back(kProgramKey, kProgramKey + 8);
    for (int k = 0; k < 4; ++k) {
        std::vector<unsigned char> key(8);
        for (unsigned char& b : key) b = static_cast<unsigned char>(random());
        keys.push_back(key);
    }
    // A key that differs from the program key in one bit only.
    keys.push_back(keys[0]);
    keys.back()[7] ^= 0x01;

    CDesCipher shared;
    for (int blocks : kBlockCounts) {
        for (std::size_t k = 0; k < keys.size(); ++k) {
            SCOPED_TRACE("blocks " + std::to_string(blocks) + " key " + std::to_string(k));
            const unsigned char* key = keys[k].data();
            DES_cblock standardKey;
            for (int i = 0; i < 8; ++i) standardKey[i] = ReverseBits(key[i]);
            DES_key_schedule schedule;
            DES_set_key_unchecked(&standardKey, &schedule);

            std::vector<unsigned char> plain(static_cast<std::size_t>(8 * blocks));
            for (unsigned char& b : plain) b = static_cast<unsigned char>(random());
            std::vector<unsigned char> expected(plain.size());
            for (int b = 0; b < blocks; ++b) {
                DES_ecb_encrypt(reinterpret_cast<DES_cblock*>(&plain[8 * b]),
                                reinterpret_cast<DES_cblock*>(&expected[8 * b]), &schedule, DES_ENCRYPT);
            }

            // The shared cipher last had another key; a fresh one in between
            // sets up yet another key on the same thread.
            std::vector<unsigned char> ours(plain);
            ASSERT_EQ(1, shared.encipherBlocks(key, ours.data(), blocks));
            EXPECT_EQ(expected, ours);
            CDesCipher other;
            std::vector<unsigned char> scratch(plain);
            const unsigned char* otherKey = keys[(k + 1) % keys.size()].data();
            ASSERT_EQ(1, other.encipherBlocks(otherKey, scratch.data(), blocks));
            ASSERT_EQ(1, shared.decipherBlocks(key, ours.data(), blocks));
            EXPECT_EQ(plain, ours);

            CDesCipher fresh;
            ASSERT_EQ(1, fresh.decipherBlocks(key, expected.data(), blocks));
            EXPECT_EQ(plain, expected);
        }
    }
}

}  // namespace
