/* The yardstick for the punch path: a single-threaded epoll TCP server over the raw sqlite3 API doing the
 * same punch as the time clock (employee lookup with exact comparison, today's row by the (emp_id, rsdate)
 * index, first free slot or a new row), WAL and synchronous=FULL, one commit per punch, reply after commit.
 *   refserver <database> <port>
 * It prints "listening <port>" once it accepts connections. Not a product: one read is one ID (its line end
 * dropped), no limits. */
#define _GNU_SOURCE
#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

static sqlite3* db;
static sqlite3_stmt *find_employee, *find_row, *insert_row, *update_slot[6];
static const char* slot_names[6] = {"in1", "out1", "in2", "out2", "in3", "out3"};

static void die(const char* what)
{
    fprintf(stderr, "refserver: %s: %s\n", what, db ? sqlite3_errmsg(db) : strerror(errno));
    exit(1);
}

static void prepare(const char* sql, sqlite3_stmt** stmt)
{
    if (sqlite3_prepare_v2(db, sql, -1, stmt, NULL) != SQLITE_OK)
        die(sql);
}

/* Writes the reply into out and returns its length; 0 means no reply. */
static int punch(const char* id, int id_len, char* out, size_t out_size)
{
    time_t now = time(NULL);
    struct tm local;
    localtime_r(&now, &local);
    char day[11], clock[9];
    strftime(day, sizeof day, "%Y-%m-%d", &local);
    strftime(clock, sizeof clock, "%H:%M:%S", &local);

    sqlite3_bind_text(find_employee, 1, id, id_len, SQLITE_STATIC);
    int found = 0, any = 0;
    char name[512] = "";
    while (sqlite3_step(find_employee) == SQLITE_ROW) {
        any = 1;
        const char* emp_id = (const char*)sqlite3_column_text(find_employee, 0);
        if (emp_id && (int)strlen(emp_id) == id_len && memcmp(emp_id, id, id_len) == 0) {
            const char* first = (const char*)sqlite3_column_text(find_employee, 1);
            const char* last = (const char*)sqlite3_column_text(find_employee, 2);
            snprintf(name, sizeof name, "%s %s", first ? first : "", last ? last : "");
            found = 1;
            break;
        }
    }
    sqlite3_reset(find_employee);
    if (!any)
        return snprintf(out, out_size, "NRF");
    if (!found)
        return 0;

    const char* code = NULL;
    sqlite3_bind_text(find_row, 1, id, id_len, SQLITE_STATIC);
    sqlite3_bind_text(find_row, 2, day, -1, SQLITE_STATIC);
    if (sqlite3_step(find_row) == SQLITE_ROW) {
        sqlite3_int64 row_id = sqlite3_column_int64(find_row, 0);
        int slot = -1;
        for (int i = 0; i < 6 && slot < 0; ++i)
            if (sqlite3_column_type(find_row, 1 + i) == SQLITE_NULL)
                slot = i;
        sqlite3_reset(find_row);
        if (slot < 0)
            return 0;
        sqlite3_bind_text(update_slot[slot], 1, clock, -1, SQLITE_STATIC);
        sqlite3_bind_int64(update_slot[slot], 2, row_id);
        int rc = sqlite3_step(update_slot[slot]);
        sqlite3_reset(update_slot[slot]);
        if (rc != SQLITE_DONE)
            return 0;
        code = slot % 2 == 0 ? "RIN" : "OUT";
    } else {
        sqlite3_reset(find_row);
        sqlite3_bind_text(insert_row, 1, id, id_len, SQLITE_STATIC);
        sqlite3_bind_text(insert_row, 2, day, -1, SQLITE_STATIC);
        sqlite3_bind_text(insert_row, 3, clock, -1, SQLITE_STATIC);
        int rc = sqlite3_step(insert_row);
        sqlite3_reset(insert_row);
        if (rc != SQLITE_DONE)
            return 0;
        code = "RIN";
    }
    return snprintf(out, out_size, "%s%s", code, name);
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: refserver <database> <port>\n");
        return 2;
    }
    if (sqlite3_open(argv[1], &db) != SQLITE_OK)
        die("open");
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;", NULL, NULL, NULL);
    prepare("select emp_id, emp_fname, emp_lname from Employee where emp_id = ?", &find_employee);
    prepare("select id, in1, out1, in2, out2, in3, out3 from timesheet where emp_id = ? and rsdate = ?", &find_row);
    prepare("insert into timesheet (emp_id, rsdate, in1) values (?, ?, ?)", &insert_row);
    for (int i = 0; i < 6; ++i) {
        char sql[128];
        snprintf(sql, sizeof sql, "update timesheet set %s = ? where id = ?", slot_names[i]);
        prepare(sql, &update_slot[i]);
    }

    int listener = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    struct sockaddr_in addr = {.sin_family = AF_INET, .sin_port = htons((unsigned short)atoi(argv[2]))};
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener, (struct sockaddr*)&addr, sizeof addr) < 0 || listen(listener, 1024) < 0) {
        perror("refserver: listen");
        return 1;
    }
    int ep = epoll_create1(0);
    struct epoll_event ev = {.events = EPOLLIN, .data.fd = listener};
    epoll_ctl(ep, EPOLL_CTL_ADD, listener, &ev);
    printf("listening %s\n", argv[2]);
    fflush(stdout);

    static char buffer[1 << 16], reply[1024];
    struct epoll_event events[256];
    for (;;) {
        int n = epoll_wait(ep, events, 256, -1);
        for (int i = 0; i < n; ++i) {
            int fd = events[i].data.fd;
            if (fd == listener) {
                int client;
                while ((client = accept4(listener, NULL, NULL, SOCK_NONBLOCK)) >= 0) {
                    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
                    struct epoll_event cev = {.events = EPOLLIN, .data.fd = client};
                    epoll_ctl(ep, EPOLL_CTL_ADD, client, &cev);
                    send(client, "CRA", 3, MSG_NOSIGNAL);
                }
                continue;
            }
            ssize_t got = recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0) {
                if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                    epoll_ctl(ep, EPOLL_CTL_DEL, fd, NULL);
                    close(fd);
                }
                continue;
            }
            while (got > 0 && (buffer[got - 1] == '\n' || buffer[got - 1] == '\r'))
                --got;
            int len = punch(buffer, (int)got, reply, sizeof reply);
            if (len > 0)
                send(fd, reply, (size_t)len, MSG_NOSIGNAL);
        }
    }
}
