// A scripted HTTP peer for client tests: it listens on a free loopback port
// and answers each request with the bytes it was given, or not at all.

#ifndef RAWSERVER_H
#define RAWSERVER_H

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

inline double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// What a raw peer sends for one request: bytes at once and, when there are
// any, more bytes a moment later, once the client has taken the first ones.
struct RawAnswer
{
    std::string now;
    std::string later;
};

// A TCP peer on 127.0.0.1 that accepts every connection and answers each
// request with the same bytes, or, without an answer, never says anything.
// Given several answers, the n-th request (counted over all connections)
// gets the n-th, the last one repeated.
class RawServer
{
public:
    explicit RawServer(std::string answer = std::string())
        : RawServer(answer.empty() ? std::vector<RawAnswer>() : std::vector<RawAnswer>{{std::move(answer), {}}})
    {
    }
    explicit RawServer(std::vector<RawAnswer> answers) : m_answers(std::move(answers))
    {
        m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_listenFd, reinterpret_cast<sockaddr *>(&address), length) == 0 && ::listen(m_listenFd, 8) == 0
            && ::getsockname(m_listenFd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
            m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~RawServer()
    {
        m_stopping = true;
        ::shutdown(m_listenFd, SHUT_RDWR);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            for (int fd : m_accepted)
                ::shutdown(fd, SHUT_RDWR);
        }
        m_thread.join();
        for (int fd : m_accepted)
            ::close(fd);
        ::close(m_listenFd);
    }

    int port() const { return m_port; }
    int accepted() const { return m_acceptedCount.load(); }
    //! Answers whose later bytes have been sent.
    int lateSent() const { return m_lateSent.load(); }

private:
    void serve()
    {
        while (!m_stopping) {
            const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                return;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_accepted.push_back(fd);
            }
            ++m_acceptedCount;
            if (!m_answers.empty())
                answerRequests(fd);
        }
    }

    // One connection at a time, kept open between requests.
    void answerRequests(int fd)
    {
        std::string received;
        char chunk[4096];
        for (;;) {
            const size_t headEnd = received.find("\r\n\r\n");
            const size_t field = received.find("Content-length: ");
            if (headEnd != std::string::npos && field != std::string::npos) {
                const size_t end = headEnd + 4 + std::stoul(received.substr(field + 16));
                if (received.size() >= end) {
                    received.erase(0, end);
                    const RawAnswer &answer = m_answers[std::min(m_requests++, m_answers.size() - 1)];
                    if (!sendAll(fd, answer.now))
                        return;
                    if (!answer.later.empty()) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(100));
                        if (!sendAll(fd, answer.later))
                            return;
                        ++m_lateSent;
                    }
                    continue;
                }
            }
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0)
                return;
            received.append(chunk, static_cast<size_t>(n));
        }
    }

    static bool sendAll(int fd, const std::string &bytes)
    {
        return ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }

    const std::vector<RawAnswer> m_answers;
    size_t m_requests = 0; // only touched by the serving thread
    std::atomic<int> m_lateSent{0};
    int m_listenFd = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_acceptedCount{0};
    std::mutex m_mutex;
    std::vector<int> m_accepted;
    std::thread m_thread;
};

#endif // RAWSERVER_H
