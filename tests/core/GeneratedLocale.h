#pragma once

#include "ChildProcess.h"
#include "TempDirectory.h"

#include <clocale>
#include <cstdlib>
#include <locale.h>
#include <string>

// A locale compiled by the test from the system's locale sources into a
// folder of its own (no system change), made current for the calling thread
// until destruction. valid() is false when the sources or localedef are
// missing.
class GeneratedLocale
{
public:
    GeneratedLocale(const std::string& source, const std::string& name)
    {
        const std::string localedef = findExecutable("localedef");
        if (localedef.empty())
            return;
        int status = -1;
        runCommand({localedef, "-i", source, "-f", "UTF-8", m_dir.path() + "/" + name}, &status);
        if (status != 0)
            return;
        ::setenv("LOCPATH", m_dir.path().c_str(), 1);
        m_locale = ::newlocale(LC_ALL_MASK, name.c_str(), locale_t(nullptr));
        ::unsetenv("LOCPATH");
        if (m_locale)
            m_previous = ::uselocale(m_locale);
    }
    ~GeneratedLocale()
    {
        if (m_locale) {
            ::uselocale(m_previous);
            ::freelocale(m_locale);
        }
    }
    GeneratedLocale(const GeneratedLocale&) = delete;
    GeneratedLocale& operator=(const GeneratedLocale&) = delete;

    bool valid() const { return m_locale != locale_t(nullptr); }

private:
    TempDirectory m_dir;
    locale_t m_locale = locale_t(nullptr);
    locale_t m_previous = locale_t(nullptr);
};
