// Punch load: N terminals against a server on 127.0.0.1, each sending an employee ID and waiting for the
// answer before the next. Afterwards it checks, in the server's database, that every answered punch is
// stored in the slot its answer named.
//   loaddriver <port> <terminals> <employees> <database> [seconds=20] [line|bare]
// IDs end with a line feed, as terminals send them; "bare" sends them without one.
// Prints: punches, seconds, per_second, p50_us, p99_us, unanswered, verified.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sqlite3.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

struct Terminal
{
    int fd = -1;
    std::vector<std::string> ids; // this terminal's employees, punched round after round
    std::size_t next = 0;
    int round = 0;
    bool accepted = false;
    bool waiting = false;
    bool done = false;
    Clock::time_point sent;
    std::string pendingId;
};

std::string idOf(int e)
{
    char text[16];
    std::snprintf(text, sizeof text, "E%05d", e);
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: loaddriver <port> <terminals> <employees> <database> [seconds] [line|bare]\n");
        return 2;
    }
    const int port = std::atoi(argv[1]);
    const int count = std::atoi(argv[2]);
    const int employees = std::atoi(argv[3]);
    const char* database = argv[4];
    const double limit = argc > 5 ? std::atof(argv[5]) : 20.0;
    const bool lines = argc <= 6 || std::strcmp(argv[6], "bare") != 0;
    constexpr int kRounds = 6; // six slots a day

    std::vector<Terminal> terminals(count);
    for (int e = 0; e < employees; ++e)
        terminals[e % count].ids.push_back(idOf(e));
    const int ep = epoll_create1(0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(uint16_t(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (int i = 0; i < count; ++i) {
        Terminal& t = terminals[i];
        t.fd = socket(AF_INET, SOCK_STREAM, 0);
        int yes = 1;
        setsockopt(t.fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        if (connect(t.fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0) {
            std::perror("loaddriver: connect");
            return 1;
        }
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u32 = uint32_t(i);
        epoll_ctl(ep, EPOLL_CTL_ADD, t.fd, &ev);
        if (t.ids.empty())
            t.done = true;
    }

    std::vector<double> latencies;
    std::map<std::string, std::vector<std::string>> answers; // id -> reply codes in order
    int unanswered = 0;
    auto sendNext = [&](Terminal& t) {
        if (t.next == t.ids.size()) {
            t.next = 0;
            ++t.round;
        }
        if (t.round == kRounds) {
            t.done = true;
            return;
        }
        t.pendingId = t.ids[t.next++];
        const std::string wire = lines ? t.pendingId + '\n' : t.pendingId;
        t.sent = Clock::now();
        t.waiting = true;
        send(t.fd, wire.data(), wire.size(), MSG_NOSIGNAL);
    };

    const auto start = Clock::now();
    Clock::time_point firstSend{};
    char buffer[4096];
    epoll_event events[256];
    int active = count;
    bool stopping = false;
    while (active > 0) {
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        // At the time limit no new punch is sent; the ones in flight still get their answers.
        if (elapsed > limit && !stopping) {
            stopping = true;
            for (Terminal& t : terminals) {
                if (!t.done && !t.waiting) {
                    t.done = true;
                    --active;
                }
            }
        }
        if (elapsed > limit + 10)
            break;
        const int n = epoll_wait(ep, events, 256, 1000);
        for (int k = 0; k < n; ++k) {
            Terminal& t = terminals[events[k].data.u32];
            const ssize_t got = recv(t.fd, buffer, sizeof buffer, 0);
            if (got <= 0) {
                if (!t.done) {
                    t.done = true;
                    --active;
                }
                continue;
            }
            const std::string reply(buffer, std::size_t(got));
            if (!t.accepted) {
                t.accepted = true; // the connection's "CRA"
                if (firstSend == Clock::time_point{})
                    firstSend = Clock::now();
            } else if (t.waiting) {
                latencies.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t.sent).count());
                answers[t.pendingId].push_back(reply.substr(0, 3));
                t.waiting = false;
            }
            if (t.done)
                continue;
            if (stopping) {
                t.done = true;
                --active;
                continue;
            }
            sendNext(t);
            if (t.done)
                --active;
        }
    }
    const auto finish = Clock::now();
    for (const Terminal& t : terminals) {
        if (t.waiting)
            ++unanswered;
        close(t.fd);
    }
    const double seconds =
        std::chrono::duration<double>(finish - (firstSend == Clock::time_point{} ? start : firstSend)).count();
    std::sort(latencies.begin(), latencies.end());
    auto pct = [&](double p) {
        return latencies.empty() ? 0.0 : latencies[std::min(latencies.size() - 1, std::size_t(p * latencies.size()))];
    };

    // Every answered punch must be in today's row, in the slot its answer named.
    sqlite3* db = nullptr;
    int verified = 0, wrong = 0;
    if (sqlite3_open_v2(database, &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* row = nullptr;
        sqlite3_prepare_v2(db,
                           "select in1, out1, in2, out2, in3, out3, count(*) over () from timesheet"
                           " where emp_id = ? and rsdate = date('now', 'localtime')",
                           -1, &row, nullptr);
        for (const auto& [id, codes] : answers) {
            sqlite3_bind_text(row, 1, id.c_str(), -1, SQLITE_TRANSIENT);
            bool ok = sqlite3_step(row) == SQLITE_ROW && sqlite3_column_int(row, 6) == 1;
            for (int s = 0; ok && s < 6; ++s) {
                const bool filled = sqlite3_column_type(row, s) != SQLITE_NULL;
                const bool answered = s < int(codes.size());
                ok = filled == answered && (!answered || codes[s] == (s % 2 == 0 ? "RIN" : "OUT"));
            }
            sqlite3_reset(row);
            if (ok)
                verified += int(codes.size());
            else
                ++wrong;
        }
        sqlite3_finalize(row);
        sqlite3_close(db);
    }
    std::printf("punches %zu seconds %.3f per_second %.1f p50_us %.1f p99_us %.1f unanswered %d verified %d wrong %d\n",
                latencies.size(), seconds, latencies.size() / seconds, pct(0.50), pct(0.99), unanswered, verified,
                wrong);
    return wrong == 0 && verified == int(latencies.size()) ? 0 : 1;
}
