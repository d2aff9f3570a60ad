#pragma once
// A minimal HTTP/1.1 server on 127.0.0.1 for the download tests: answers
// the paths it was given with 200 and everything else with 404, one request
// per connection, and records every request target it saw.
#include <winsock2.h>
#include <windows.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LoopbackServer {
public:
    LoopbackServer() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        int length = sizeof(address);
        if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
            listen(m_listener, 16) == 0 &&
            getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~LoopbackServer() {
        closesocket(m_listener);
        m_thread.join();
        WSACleanup();
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    void Add(const std::string& path, const std::string& body) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_routes[path] = body;
    }
    std::wstring Url(const std::string& path) const {
        return L"http://127.0.0.1:" + std::to_wstring(m_port) + std::wstring(path.begin(), path.end());
    }
    // Request targets as received, query included.
    std::vector<std::string> Requests() const {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_requests;
    }
    size_t Count() const { return Requests().size(); }

private:
    void Serve() {
        for (;;) {
            SOCKET client = accept(m_listener, nullptr, nullptr);
            if (client == INVALID_SOCKET)
                return;
            Answer(client);
            shutdown(client, SD_SEND);
            closesocket(client);
        }
    }
    void Answer(SOCKET client) {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            int got = recv(client, buffer, sizeof(buffer), 0);
            if (got <= 0)
                return;
            request.append(buffer, got);
        }
        size_t start = request.find(' ') + 1;
        std::string target = request.substr(start, request.find(' ', start) - start);
        std::string path = target.substr(0, target.find('?'));

        std::string status = "404 Not Found";
        std::string body = "no such script";
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_requests.push_back(target);
            auto found = m_routes.find(path);
            if (found != m_routes.end()) {
                status = "200 OK";
                body = found->second;
            }
        }
        std::string answer = "HTTP/1.1 " + status +
                             "\r\nContent-Type: application/javascript\r\nCache-Control: no-store\r\n"
                             "Connection: close\r\nContent-Length: " +
                             std::to_string(body.size()) + "\r\n\r\n" + body;
        send(client, answer.data(), static_cast<int>(answer.size()), 0);
    }

    SOCKET m_listener = INVALID_SOCKET;
    unsigned short m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_lock;
    std::map<std::string, std::string> m_routes;
    std::vector<std::string> m_requests;
};
