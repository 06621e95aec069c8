#pragma once

#include <filesystem>

// A private set of user folders for a benchmark run (configuration, runtime,
// state), made under /tmp and pointed to by the XDG variables, so that no
// real user's store or lock is touched. Removed with the object.
class BenchFolders
{
public:
    explicit BenchFolders(const char* name);
    ~BenchFolders();
    BenchFolders(const BenchFolders&) = delete;
    BenchFolders& operator=(const BenchFolders&) = delete;

    const std::filesystem::path& root() const { return m_root; }

private:
    std::filesystem::path m_root;
};
