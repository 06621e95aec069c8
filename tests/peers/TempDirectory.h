#pragma once

#include <string>

// A private directory under /tmp, removed with everything in it.
class TempDirectory
{
public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    bool write(const std::string& name, const std::string& content) const;
    std::string read(const std::string& name) const;

private:
    std::string m_path;
};
