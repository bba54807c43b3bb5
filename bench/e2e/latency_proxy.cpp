// A loopback TCP proxy that delays each direction of every connection by a fixed time, to measure a
// database client as if its server sat across a network:
//
//   latency_proxy LISTEN_PORT TARGET_PORT DELAY_MS [SECONDS]
//
// Listens on 127.0.0.1:LISTEN_PORT and connects each client to 127.0.0.1:TARGET_PORT. Every chunk
// read from one side is written to the other DELAY_MS milliseconds after it arrived (0: at once),
// in order. It ends by itself after SECONDS (default 3600) or on SIGTERM/SIGINT.
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// One direction of a connection: a reader thread queues what arrives with its due time, a writer
// thread sends it when due. Without delay the reader writes at once.
class Pipe {
public:
    Pipe(int from, int to, std::chrono::microseconds delay) : from_(from), to_(to), delay_(delay) {}

    void Run() {
        std::thread writer;
        if (delay_.count() > 0) writer = std::thread([this] { Send(); });
        char buffer[65536];
        for (;;) {
            const ssize_t n = read(from_, buffer, sizeof buffer);
            if (n <= 0) break;
            if (delay_.count() == 0) {
                if (!WriteAll(buffer, static_cast<std::size_t>(n))) break;
                continue;
            }
            std::lock_guard lock(mutex_);
            queue_.push_back({Clock::now() + delay_, std::string(buffer, static_cast<std::size_t>(n))});
            ready_.notify_one();
        }
        {
            std::lock_guard lock(mutex_);
            closed_ = true;
            ready_.notify_one();
        }
        if (writer.joinable()) writer.join();
        shutdown(to_, SHUT_WR);
    }

private:
    struct Chunk {
        Clock::time_point due;
        std::string bytes;
    };

    bool WriteAll(const char* data, std::size_t size) {
        while (size > 0) {
            const ssize_t n = write(to_, data, size);
            if (n <= 0) return false;
            data += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }

    void Send() {
        std::unique_lock lock(mutex_);
        for (;;) {
            ready_.wait(lock, [this] { return closed_ || !queue_.empty(); });
            if (queue_.empty()) return;
            Chunk chunk = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            std::this_thread::sleep_until(chunk.due);
            const bool sent = WriteAll(chunk.bytes.data(), chunk.bytes.size());
            lock.lock();
            if (!sent) return;
        }
    }

    int from_, to_;
    std::chrono::microseconds delay_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Chunk> queue_;
    bool closed_ = false;
};

int Listen(int port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(s, 16) != 0) {
        std::perror("latency_proxy: listen");
        std::exit(1);
    }
    return s;
}

int ConnectTo(int port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(s);
        return -1;
    }
    return s;
}

void NoDelay(int s) {
    const int one = 1;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: latency_proxy LISTEN_PORT TARGET_PORT DELAY_MS [SECONDS]\n");
        return 2;
    }
    const int listenPort = std::atoi(argv[1]);
    const int targetPort = std::atoi(argv[2]);
    const auto delay = std::chrono::microseconds(static_cast<long long>(std::atof(argv[3]) * 1000.0));
    const unsigned seconds = argc > 4 ? static_cast<unsigned>(std::atoi(argv[4])) : 3600;
    std::signal(SIGPIPE, SIG_IGN);
    alarm(seconds);  // a forgotten proxy ends by itself
    const int listener = Listen(listenPort);
    for (;;) {
        const int client = accept(listener, nullptr, nullptr);
        if (client < 0) continue;
        const int server = ConnectTo(targetPort);
        if (server < 0) {
            close(client);
            continue;
        }
        NoDelay(client);
        NoDelay(server);
        std::thread([client, server, delay] {
            Pipe up(client, server, delay), down(server, client, delay);
            std::thread back([&down] { down.Run(); });
            up.Run();
            back.join();
            close(client);
            close(server);
        }).detach();
    }
}
