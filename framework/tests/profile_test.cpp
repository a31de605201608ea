#include "framework/winapp.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kCompany[] = "Vantrel Framework Tests";

class Profile : public ::testing::Test {
protected:
    void SetUp() override
    {
        Clean();
        m_app.SetRegistryKey(kCompany);
    }
    void TearDown() override { Clean(); }
    static void Clean()
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("Software\\") + kCompany).c_str());
    }
    CWinApp m_app{"ProfileTest"};
};

TEST_F(Profile, ValuesLiveUnderCompanyProgramAndSection)
{
    EXPECT_EQ(m_app.RegistryKey(), kCompany);
    ASSERT_TRUE(m_app.WriteProfileInt("Settings", "Enable", 0));
    ASSERT_TRUE(m_app.WriteProfileString("Settings", "File", "menus\\work.vn"));

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Vantrel Framework Tests\\ProfileTest\\Settings", 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD value = 7, type = 0, size = sizeof value;
    EXPECT_EQ(RegQueryValueExA(key, "Enable", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 0u);
    char text[64] = {};
    size = sizeof text;
    EXPECT_EQ(RegQueryValueExA(key, "File", nullptr, &type, reinterpret_cast<BYTE*>(text), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(text, "menus\\work.vn");
    RegCloseKey(key);
}

TEST_F(Profile, ReadsBackWhatWasWrittenAndDefaultsOtherwise)
{
    EXPECT_EQ(m_app.GetProfileInt("Settings", "Enable", 1), 1u);
    EXPECT_EQ(m_app.GetProfileString("Settings", "User", "nobody"), "nobody");
    EXPECT_EQ(m_app.GetProfileString("Settings", "User", nullptr), "");

    const int numbers[] = {0, 1, 99, 250, -3};
    for (int n : numbers) {
        ASSERT_TRUE(m_app.WriteProfileInt("Settings", "AutoLogoutMin", n));
        EXPECT_EQ(static_cast<int>(m_app.GetProfileInt("Settings", "AutoLogoutMin", 0)), n);
    }
    const std::string texts[] = {"", "x", std::string(5000, 'k'), "C:\\Menus\\\xB2\xE2\xCA\xD4.vn"};
    for (const std::string& t : texts) {
        ASSERT_TRUE(m_app.WriteProfileString("Settings", "File", t.c_str()));
        EXPECT_EQ(m_app.GetProfileString("Settings", "File", "default"), t);
    }

    // Deleting a value brings the default back; deleting it again is fine.
    EXPECT_TRUE(m_app.WriteProfileString("Settings", "File", nullptr));
    EXPECT_TRUE(m_app.WriteProfileString("Settings", "File", nullptr));
    EXPECT_EQ(m_app.GetProfileString("Settings", "File", "default"), "default");
}

TEST_F(Profile, ValueOfTheWrongTypeReadsAsTheDefault)
{
    ASSERT_TRUE(m_app.WriteProfileString("Settings", "Enable", "0"));
    EXPECT_EQ(m_app.GetProfileInt("Settings", "Enable", 1), 1u);
    ASSERT_TRUE(m_app.WriteProfileInt("Settings", "User", 5));
    EXPECT_EQ(m_app.GetProfileString("Settings", "User", "d"), "d");
}

}  // namespace
