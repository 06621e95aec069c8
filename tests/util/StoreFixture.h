#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// Gives every test its own empty configuration and state folders, so the store
// file of the user running the tests is never touched.
class StoreFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/travimetra-store-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_root = pattern;
        setenv("XDG_CONFIG_HOME", (m_root / "config").c_str(), 1);
        setenv("XDG_STATE_HOME", (m_root / "state").c_str(), 1);
    }

    void TearDown() override
    {
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_STATE_HOME");
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }

    std::filesystem::path storeFile() const
    {
        return m_root / "config" / "Quorvane" / "Travimetra.reg";
    }

    std::string storeText() const
    {
        std::ifstream in(storeFile(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    void writeStoreText(const std::string& text) const
    {
        std::filesystem::create_directories(storeFile().parent_path());
        std::ofstream(storeFile(), std::ios::binary) << text;
    }

    std::filesystem::path m_root;
};
