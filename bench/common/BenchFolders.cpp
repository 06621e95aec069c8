#include "BenchFolders.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

BenchFolders::BenchFolders(const char* name)
{
    std::string pattern = std::string("/tmp/travimetra-bench-") + name + "-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("no temporary folder");
    m_root = pattern;
    for (const char* sub : {"config", "runtime", "state", "data"})
        std::filesystem::create_directories(m_root / sub);
    std::filesystem::permissions(m_root / "runtime", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    setenv("XDG_CONFIG_HOME", (m_root / "config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (m_root / "runtime").c_str(), 1);
    setenv("XDG_STATE_HOME", (m_root / "state").c_str(), 1);
    // The main window's usage history.
    setenv("XDG_DATA_HOME", (m_root / "data").c_str(), 1);
}

BenchFolders::~BenchFolders()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
}
