#include "NginxPeer.h"

#include "PortHolder.h"

#include <algorithm>
#include <chrono>
#include <sys/stat.h>
#include <thread>

NginxPeer::NginxPeer()
{
    const std::string nginx = findExecutable("nginx");
    if (nginx.empty() || m_dir.path().empty()) {
        m_failure = "nginx is not installed";
        return;
    }
    for (const std::uint16_t port : {80, 8080}) {
        m_failure = PortHolder::describe(PortHolder::Protocol::Tcp, Address, port);
        if (!m_failure.empty())
            return;
    }
    const std::string d = m_dir.path();
    mkdir(m_dir.file("www").c_str(), 0700);
    m_dir.write("www/404.html", NotFoundPage);
    const std::string config =
        "daemon off;\n"
        "master_process off;\n"
        "user root;\n"
        "pid " +
        d +
        "/nginx.pid;\n"
        "error_log " +
        d +
        "/error.log;\n"
        "events { worker_connections 64; }\n"
        "http {\n"
        "  log_format peer '$request_uri|$http_host|$http_user_agent|$connection';\n"
        "  access_log " +
        d +
        "/access.log peer;\n"
        "  client_body_temp_path " +
        d +
        "/body;\n"
        "  proxy_temp_path " +
        d +
        "/proxy;\n"
        "  fastcgi_temp_path " +
        d +
        "/fastcgi;\n"
        "  uwsgi_temp_path " +
        d +
        "/uwsgi;\n"
        "  scgi_temp_path " +
        d +
        "/scgi;\n"
        "  server {\n"
        "    listen 127.0.0.31:80;\n"
        "    listen 127.0.0.31:8080;\n"
        "    root " +
        d +
        "/www;\n"
        "    location = /hello { default_type text/plain; "
        "return 200 \"Hello, world!\"; }\n"
        "    location = /x { default_type text/plain; return 200 \"x-ok\\n\"; }\n"
        "    error_page 404 /404.html;\n"
        "  }\n"
        "}\n";
    m_dir.write("nginx.conf", config);
    m_process.start({nginx, "-p", d, "-c", d + "/nginx.conf", "-e", d + "/error.log"},
                    m_dir.file("output.log"));
    if (!waitForTcpPort(Address, 80, 5000) || !waitForTcpPort(Address, 8080, 1000))
        m_failure = "nginx did not start: " + m_dir.read("error.log") + m_dir.read("output.log");
}

std::string NginxPeer::accessLog(std::size_t lines, int waitMs) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (true) {
        const std::string log = m_dir.read("access.log");
        if (static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n')) >= lines ||
            std::chrono::steady_clock::now() >= deadline)
            return log;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}
