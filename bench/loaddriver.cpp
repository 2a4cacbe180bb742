// Punch load: N terminals against a server on 127.0.0.1, each sending an employee ID and waiting for the
// answer before the next. Afterwards it checks, in the server's database, that every answered punch is
// stored in the slot its answer named.
//   loaddriver <port> <terminals> <employees> <database> [seconds=20] [line|bare]
// IDs end with a line feed, as terminals send them; "bare" sends them without one.
// The database is a file or a postgresql://USER@HOST:PORT/DBNAME location.
// Prints: punches, seconds, per_second, p50_us, p99_us, unanswered, verified.
#include <arpa/inet.h>
#include <ctime>
#include <libpq-fe.h>
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

using Answers = std::map<std::string, std::vector<std::string>>; // id -> reply codes in order

// Today's row of one employee as stored: how many rows the day has, and which slots are filled.
struct Day
{
    int rows = 0;
    bool filled[6] = {};
};

// Punches verified, and employees whose row does not match their answers.
struct Verdict
{
    int verified = 0;
    int wrong = 0;
};

template <typename Lookup> Verdict verify(const Answers& answers, Lookup dayOf)
{
    Verdict verdict;
    for (const auto& [id, codes] : answers) {
        const Day day = dayOf(id);
        bool ok = day.rows == 1;
        for (int s = 0; ok && s < 6; ++s) {
            const bool answered = s < int(codes.size());
            ok = day.filled[s] == answered && (!answered || codes[s] == (s % 2 == 0 ? "RIN" : "OUT"));
        }
        if (ok)
            verdict.verified += int(codes.size());
        else
            ++verdict.wrong;
    }
    return verdict;
}

bool isServerLocation(const char* database)
{
    return std::strncmp(database, "postgresql://", 13) == 0 || std::strncmp(database, "postgres://", 11) == 0;
}

Verdict verifyInFile(const char* path, const Answers& answers)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return {0, int(answers.size())};
    }
    sqlite3_stmt* row = nullptr;
    sqlite3_prepare_v2(db,
                       "select in1, out1, in2, out2, in3, out3, count(*) over () from timesheet"
                       " where emp_id = ? and rsdate = date('now', 'localtime')",
                       -1, &row, nullptr);
    const Verdict verdict = verify(answers, [&](const std::string& id) {
        Day day;
        sqlite3_bind_text(row, 1, id.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(row) == SQLITE_ROW) {
            day.rows = sqlite3_column_int(row, 6);
            for (int s = 0; s < 6; ++s)
                day.filled[s] = sqlite3_column_type(row, s) != SQLITE_NULL;
        }
        sqlite3_reset(row);
        return day;
    });
    sqlite3_finalize(row);
    sqlite3_close(db);
    return verdict;
}

// Today as the server's clock reads it, not as the database server's time zone would.
std::string localToday()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

Verdict verifyOnServer(const char* location, const Answers& answers)
{
    PGconn* conn = PQconnectdb(location);
    PGresult* prepared = PQstatus(conn) == CONNECTION_OK
                             ? PQprepare(conn, "day",
                                         "select in1, out1, in2, out2, in3, out3, count(*) over () from timesheet"
                                         " where emp_id = $1 and rsdate = $2",
                                         2, nullptr)
                             : nullptr;
    const bool ok = prepared && PQresultStatus(prepared) == PGRES_COMMAND_OK;
    PQclear(prepared);
    if (!ok) {
        std::fprintf(stderr, "loaddriver: %s", PQerrorMessage(conn));
        PQfinish(conn);
        return {0, int(answers.size())};
    }
    const std::string today = localToday();
    const Verdict verdict = verify(answers, [&](const std::string& id) {
        Day day;
        const char* values[] = {id.c_str(), today.c_str()};
        PGresult* result = PQexecPrepared(conn, "day", 2, values, nullptr, nullptr, 0);
        if (PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) > 0) {
            day.rows = std::atoi(PQgetvalue(result, 0, 6));
            for (int s = 0; s < 6; ++s)
                day.filled[s] = !PQgetisnull(result, 0, s);
        }
        PQclear(result);
        return day;
    });
    PQfinish(conn);
    return verdict;
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
    Answers answers;
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
    const auto [verified, wrong] =
        isServerLocation(database) ? verifyOnServer(database, answers) : verifyInFile(database, answers);
    std::printf("punches %zu seconds %.3f per_second %.1f p50_us %.1f p99_us %.1f unanswered %d verified %d wrong %d\n",
                latencies.size(), seconds, latencies.size() / seconds, pct(0.50), pct(0.99), unanswered, verified,
                wrong);
    return wrong == 0 && verified == int(latencies.size()) ? 0 : 1;
}
