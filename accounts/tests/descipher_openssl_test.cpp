// The cipher against an independent DES implementation over random keys and
// blocks: enciphering under key k must equal standard DES under k with each
// byte's bits reversed.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/des.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>

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

}  // namespace
