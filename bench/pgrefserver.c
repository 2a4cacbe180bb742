/* The yardstick for the punch path on PostgreSQL: a single-threaded epoll TCP server over raw libpq doing the
 * same punch as the time clock (employee lookup with exact comparison, today's row of exactly that ID, first
 * free of the six slots or a new row), one transaction per group of punches read in one turn of the loop,
 * synchronous_commit on, a reply only after the commit and never one for a punch that was not stored. Its
 * session is marked as the time clock marks its own punches, so the trail's triggers stand aside.
 *   pgrefserver <postgresql://...> <port> [plain|pipelined]
 * plain (the default): each statement is a round trip, as a plain client sends them.
 * pipelined: libpq's pipeline mode; the group's reads go in one round trip and its writes with the commit in a
 *   second; a punch of an employee already punched earlier in the group follows from that punch.
 * The network half is refloop.h's, as for refserver. No site. */
#include "refloop.h"

#include <libpq-fe.h>
#include <time.h>

enum { kMaxFds = kRefMaxFds, kLineMax = 64, kReplyMax = 256 };

static PGconn* conn;
static const char* slot_names[6] = {"in1", "out1", "in2", "out2", "in3", "out3"};


/* One punch of the group: its ID, what was read for it, and its reply. */
static struct pending
{
    int fd;
    char id[kLineMax];
    char name[kReplyMax - 8];
    int found; /* 1: employee, 0: no employee with exactly this ID, -1: no employee at all */
    int has_row;
    char filled[6];
    int slot; /* the slot written, -1 for none (day full or no employee), 6 for a new row */
    char reply[kReplyMax];
    int length;
} batch[kMaxFds];
static int batch_size;
static char day[11], clock_text[9];

static void die(const char* what)
{
    fprintf(stderr, "pgrefserver: %s: %s\n", what, PQerrorMessage(conn));
    exit(1);
}

static void prepare(const char* name, const char* sql, int params)
{
    PGresult* result = PQprepare(conn, name, sql, params, NULL);
    if (PQresultStatus(result) != PGRES_COMMAND_OK)
        die(sql);
    PQclear(result);
}

static void now_text(void)
{
    time_t now = time(NULL);
    struct tm local;
    localtime_r(&now, &local);
    strftime(day, sizeof day, "%Y-%m-%d", &local);
    strftime(clock_text, sizeof clock_text, "%H:%M:%S", &local);
}

/* What the employee lookup found for a punch. */
static void take_employee(struct pending* p, PGresult* result)
{
    p->found = PQntuples(result) > 0 ? 0 : -1;
    for (int r = 0; r < PQntuples(result); ++r) {
        if (strcmp(PQgetvalue(result, r, 0), p->id) == 0) {
            snprintf(p->name, sizeof p->name, "%s %s", PQgetvalue(result, r, 1), PQgetvalue(result, r, 2));
            p->found = 1;
            break;
        }
    }
}

/* What today's row of the employee holds. */
static void take_row(struct pending* p, PGresult* result)
{
    p->has_row = 0;
    for (int r = 0; r < PQntuples(result); ++r) {
        if (strcmp(PQgetvalue(result, r, 0), p->id) != 0)
            continue;
        p->has_row = 1;
        for (int s = 0; s < 6; ++s)
            p->filled[s] = !PQgetisnull(result, r, 1 + s);
        break;
    }
}

/* The slot a punch fills, from its row as read (or as the group's earlier punches left it). */
static void choose_slot(struct pending* p)
{
    p->slot = -1;
    if (p->found != 1)
        return;
    if (!p->has_row) {
        p->slot = 6;
        return;
    }
    for (int s = 0; s < 6; ++s)
        if (!p->filled[s]) {
            p->slot = s;
            return;
        }
}

static void make_reply(struct pending* p)
{
    if (p->found == -1)
        p->length = snprintf(p->reply, sizeof p->reply, "NRF");
    else if (p->slot < 0)
        p->length = 0;
    else
        p->length = snprintf(p->reply, sizeof p->reply, "%s%s", p->slot == 6 || p->slot % 2 == 0 ? "RIN" : "OUT",
                             p->name);
}

static int ok(PGresult* result)
{
    ExecStatusType status = PQresultStatus(result);
    int good = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    PQclear(result);
    return good;
}

static int write_punch(struct pending* p, int send_only)
{
    const char* values[3] = {clock_text, p->id, day};
    char name[16];
    if (p->slot == 6)
        snprintf(name, sizeof name, "start");
    else
        snprintf(name, sizeof name, "fill%d", p->slot);
    if (send_only)
        return PQsendQueryPrepared(conn, name, 3, values, NULL, NULL, 0);
    return ok(PQexecPrepared(conn, name, 3, values, NULL, NULL, 0));
}

static int store_plain(void)
{
    if (!ok(PQexec(conn, "BEGIN")))
        return 0;
    for (int i = 0; i < batch_size; ++i) {
        struct pending* p = &batch[i];
        const char* values[2] = {p->id, day};
        PGresult* result = PQexecPrepared(conn, "employee", 1, values, NULL, NULL, 0);
        if (PQresultStatus(result) != PGRES_TUPLES_OK)
            return ok(result), ok(PQexec(conn, "ROLLBACK")), 0;
        take_employee(p, result);
        PQclear(result);
        if (p->found == 1) {
            result = PQexecPrepared(conn, "day", 2, values, NULL, NULL, 0);
            if (PQresultStatus(result) != PGRES_TUPLES_OK)
                return ok(result), ok(PQexec(conn, "ROLLBACK")), 0;
            take_row(p, result);
            PQclear(result);
        }
        choose_slot(p);
        if (p->slot >= 0 && !write_punch(p, 0))
            return ok(PQexec(conn, "ROLLBACK")), 0;
    }
    return ok(PQexec(conn, "COMMIT"));
}

/* Reads the results of one statement sent in pipeline mode: the result, then the null that ends it. */
static PGresult* next_result(void)
{
    PGresult* result = PQgetResult(conn);
    PGresult* end = PQgetResult(conn);
    if (end)
        PQclear(end);
    return result;
}

static int store_pipelined(void)
{
    int good = 1;
    if (!PQenterPipelineMode(conn))
        die("pipeline mode");
    PQsendQueryParams(conn, "BEGIN", 0, NULL, NULL, NULL, NULL, 0);
    for (int i = 0; i < batch_size; ++i) {
        const char* values[2] = {batch[i].id, day};
        PQsendQueryPrepared(conn, "employee", 1, values, NULL, NULL, 0);
        PQsendQueryPrepared(conn, "day", 2, values, NULL, NULL, 0);
    }
    PQpipelineSync(conn);
    good = ok(next_result());
    for (int i = 0; i < batch_size; ++i) {
        PGresult* employee = next_result();
        PGresult* row = next_result();
        if (PQresultStatus(employee) != PGRES_TUPLES_OK || PQresultStatus(row) != PGRES_TUPLES_OK)
            good = 0;
        else {
            take_employee(&batch[i], employee);
            take_row(&batch[i], row);
        }
        PQclear(employee);
        PQclear(row);
    }
    PGresult* sync = PQgetResult(conn);
    if (PQresultStatus(sync) != PGRES_PIPELINE_SYNC)
        good = 0;
    PQclear(sync);
    if (!good) {
        PQexitPipelineMode(conn);
        ok(PQexec(conn, "ROLLBACK"));
        return 0;
    }

    /* A second punch of the same employee in the group follows the first one's write. */
    int writes = 0;
    for (int i = 0; i < batch_size; ++i) {
        struct pending* p = &batch[i];
        for (int k = i - 1; k >= 0; --k) {
            if (batch[k].found == 1 && strcmp(batch[k].id, p->id) == 0) {
                p->has_row = 1;
                memcpy(p->filled, batch[k].filled, sizeof p->filled);
                if (batch[k].slot >= 0 && batch[k].slot < 6)
                    p->filled[batch[k].slot] = 1;
                else if (batch[k].slot == 6)
                    p->filled[0] = 1;
                break;
            }
        }
        choose_slot(p);
        if (p->slot >= 0) {
            write_punch(p, 1);
            ++writes;
        }
    }
    PQsendQueryParams(conn, "COMMIT", 0, NULL, NULL, NULL, NULL, 0);
    PQpipelineSync(conn);
    for (int i = 0; i < writes + 1; ++i) {
        PGresult* result = next_result();
        ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK || (i < writes && strcmp(PQcmdTuples(result), "1") != 0))
            good = 0;
        PQclear(result);
    }
    sync = PQgetResult(conn);
    if (PQresultStatus(sync) != PGRES_PIPELINE_SYNC)
        good = 0;
    PQclear(sync);
    PQexitPipelineMode(conn);
    if (!good && PQtransactionStatus(conn) != PQTRANS_IDLE)
        ok(PQexec(conn, "ROLLBACK"));
    return good;
}

static int pipelined = 0;

static void take_line(int fd, const char* id, int length)
{
    if (batch_size == kMaxFds || length >= kLineMax)
        return;
    struct pending* p = &batch[batch_size++];
    memset(p, 0, sizeof *p);
    p->fd = fd;
    memcpy(p->id, id, (size_t)length);
}

static void take_turn(void)
{
    if (batch_size == 0)
        return;
    now_text();
    const int stored = pipelined ? store_pipelined() : store_plain();
    for (int i = 0; i < batch_size; ++i) {
        make_reply(&batch[i]);
        if (stored && batch[i].fd >= 0 && batch[i].length > 0)
            send(batch[i].fd, batch[i].reply, (size_t)batch[i].length, MSG_NOSIGNAL);
    }
    batch_size = 0;
}

static void forget_connection(int fd)
{
    for (int k = 0; k < batch_size; ++k)
        if (batch[k].fd == fd)
            batch[k].fd = -1;
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: pgrefserver <postgresql://...> <port> [plain|pipelined]\n");
        return 2;
    }
    pipelined = argc > 3 && strcmp(argv[3], "pipelined") == 0;
    conn = PQconnectdb(argv[1]);
    if (PQstatus(conn) != CONNECTION_OK)
        die("connect");
    /* Punches are the record itself: the trail's triggers stand aside for them, as for the time clock's own. */
    if (!ok(PQexec(conn, "SET synchronous_commit TO on; SET qorvil.program TO 'pgrefserver';"
                         " SET qorvil.paused TO '1'")))
        die("set");
    prepare("employee", "select emp_id, emp_fname, emp_lname from Employee where emp_id = $1", 1);
    prepare("day", "select emp_id, in1, out1, in2, out2, in3, out3 from timesheet where emp_id = $1 and rsdate = $2",
            2);
    prepare("start", "insert into timesheet (in1, emp_id, rsdate) values ($1, $2, $3)", 3);
    for (int s = 0; s < 6; ++s) {
        char name[16], sql[160];
        snprintf(name, sizeof name, "fill%d", s);
        snprintf(sql, sizeof sql, "update timesheet set %s = $1 where emp_id = $2 and rsdate = $3 and %s is null",
                 slot_names[s], slot_names[s]);
        prepare(name, sql, 3);
    }

    static const struct ref_server server = {take_line, take_turn, forget_connection};
    return ref_serve(argv[2], &server);
}
