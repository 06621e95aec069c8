#include "TempDirectory.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

TempDirectory::TempDirectory()
{
    char pattern[] = "/tmp/travimetra-peer-XXXXXX";
    if (mkdtemp(pattern))
        m_path = pattern;
}

TempDirectory::~TempDirectory()
{
    if (!m_path.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
}

bool TempDirectory::write(const std::string& name, const std::string& content) const
{
    std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out);
}

std::string TempDirectory::read(const std::string& name) const
{
    std::ifstream in(file(name), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}
