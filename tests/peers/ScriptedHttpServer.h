#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A small HTTP server of the tests' own on 127.0.0.32 (an ephemeral port):
// it reads one request head per connection and answers with the scripted
// pieces, each after its delay, then closes the connection or holds it open
// in silence until the server is destroyed.
class ScriptedHttpServer
{
public:
    static constexpr const char* Address = "127.0.0.32";

    struct Piece
    {
        std::string bytes;
        int delayMs = 0;
    };
    enum class Ending
    {
        Close,
        Hold
    };

    ScriptedHttpServer(std::vector<Piece> script, Ending ending);
    ~ScriptedHttpServer();
    ScriptedHttpServer(const ScriptedHttpServer&) = delete;
    ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

    bool listening() const { return m_listener >= 0; }
    std::string port() const { return std::to_string(m_port); }
    std::string url(const std::string& path = "/") const;
    // The request heads received so far.
    std::vector<std::string> requests() const;

private:
    void serve();
    void answer(int connection);
    // Sleeps up to `ms`; false when the server is being stopped.
    bool pause(int ms);

    std::vector<Piece> m_script;
    Ending m_ending;
    int m_listener = -1;
    int m_wake[2] = {-1, -1};
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};
