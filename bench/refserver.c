/* The yardstick for the punch path: a single-threaded epoll TCP server over the raw sqlite3 API doing the
 * same punch as the time clock (employee lookup with exact comparison, today's row of exactly that ID by the
 * (emp_id, rsdate) index, first free of the six slots or a new row), WAL and synchronous=FULL, a reply only
 * after the commit and never one for a punch that was not stored. IDs arrive one per line.
 *   refserver <database> <port> [group|single]
 * group (the default): every punch readable in one turn of the loop goes into one transaction, a savepoint
 *   each, so they share one wait for the disk; a punch whose savepoint fails is rolled back alone and gets
 *   no reply, a failed commit answers none of them.
 * single: one transaction and one commit per punch.
 * Prints "listening <port>" once it accepts connections. Each line on standard input prints "cpu_us <user +
 * system time> peak_kib <peak memory>"; the end of standard input ends the program. Not a product: no
 * limits, no bare IDs. */
#include "refloop.h"

#include <sqlite3.h>
#include <time.h>

enum { kMaxFds = kRefMaxFds, kReplyMax = 512 };

static sqlite3* db;
static sqlite3_stmt *find_employee, *find_row, *insert_row, *update_slot[6];
static sqlite3_stmt *begin, *commit, *rollback, *savepoint, *release, *rollback_to;
static const char* slot_names[6] = {"in1", "out1", "in2", "out2", "in3", "out3"};


/* The punches of one loop turn and their replies. */
static struct pending
{
    int fd;
    int length;
    char reply[kReplyMax];
} batch[kMaxFds];
static int batch_size;

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

static int run(sqlite3_stmt* stmt)
{
    int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    return rc == SQLITE_DONE;
}

/* Stores one punch; writes the reply into out and returns its length, 0 for no reply, -1 when the store
 * failed (nothing of it may stay). */
static int punch(const char* id, int id_len, char* out, size_t out_size)
{
    time_t now = time(NULL);
    struct tm local;
    localtime_r(&now, &local);
    char day[11], clock[9];
    strftime(day, sizeof day, "%Y-%m-%d", &local);
    strftime(clock, sizeof clock, "%H:%M:%S", &local);

    sqlite3_bind_text(find_employee, 1, id, id_len, SQLITE_STATIC);
    int found = 0, any = 0, rc;
    char name[kReplyMax - 8] = "";
    while ((rc = sqlite3_step(find_employee)) == SQLITE_ROW) {
        any = 1;
        const char* emp_id = (const char*)sqlite3_column_text(find_employee, 0);
        if (emp_id && sqlite3_column_bytes(find_employee, 0) == id_len && memcmp(emp_id, id, id_len) == 0) {
            const char* first = (const char*)sqlite3_column_text(find_employee, 1);
            const char* last = (const char*)sqlite3_column_text(find_employee, 2);
            snprintf(name, sizeof name, "%s %s", first ? first : "", last ? last : "");
            found = 1;
            break;
        }
    }
    sqlite3_reset(find_employee);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        return -1;
    if (!any)
        return snprintf(out, out_size, "NRF");
    if (!found)
        return 0;

    /* Today's row of exactly this ID: the index is case-blind, the comparison is not. */
    const char* code = "RIN";
    sqlite3_int64 row_id = -1;
    int slot = -1;
    sqlite3_bind_text(find_row, 1, id, id_len, SQLITE_STATIC);
    sqlite3_bind_text(find_row, 2, day, -1, SQLITE_STATIC);
    while ((rc = sqlite3_step(find_row)) == SQLITE_ROW) {
        const char* emp_id = (const char*)sqlite3_column_text(find_row, 7);
        if (!emp_id || sqlite3_column_bytes(find_row, 7) != id_len || memcmp(emp_id, id, id_len) != 0)
            continue;
        row_id = sqlite3_column_int64(find_row, 0);
        for (int i = 0; i < 6 && slot < 0; ++i)
            if (sqlite3_column_type(find_row, 1 + i) == SQLITE_NULL)
                slot = i;
        break;
    }
    sqlite3_reset(find_row);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        return -1;
    if (row_id >= 0) {
        if (slot < 0)
            return 0; /* the day is full: nothing written, nothing answered here */
        sqlite3_bind_text(update_slot[slot], 1, clock, -1, SQLITE_STATIC);
        sqlite3_bind_int64(update_slot[slot], 2, row_id);
        if (!run(update_slot[slot]) || sqlite3_changes(db) != 1)
            return -1;
        code = slot % 2 == 0 ? "RIN" : "OUT";
    } else {
        sqlite3_bind_text(insert_row, 1, id, id_len, SQLITE_STATIC);
        sqlite3_bind_text(insert_row, 2, day, -1, SQLITE_STATIC);
        sqlite3_bind_text(insert_row, 3, clock, -1, SQLITE_STATIC);
        if (!run(insert_row))
            return -1;
    }
    int length = snprintf(out, out_size, "%s%s", code, name);
    return length < (int)out_size ? length : (int)out_size - 1;
}

static void store_single(void)
{
    for (int i = 0; i < batch_size; ++i) {
        struct pending* p = &batch[i];
        const char* id = p->reply; /* the ID waits in the reply buffer until it is punched */
        char reply[kReplyMax];
        if (!run(begin)) {
            p->length = 0;
            continue;
        }
        int length = punch(id, p->length, reply, sizeof reply);
        if (length < 0 || !run(commit)) {
            run(rollback);
            length = 0;
        }
        p->length = length;
        memcpy(p->reply, reply, (size_t)(length > 0 ? length : 0));
    }
}

static void store_group(void)
{
    if (!run(begin)) {
        for (int i = 0; i < batch_size; ++i)
            batch[i].length = 0;
        return;
    }
    for (int i = 0; i < batch_size; ++i) {
        struct pending* p = &batch[i];
        char reply[kReplyMax];
        int length = -1;
        if (run(savepoint)) {
            length = punch(p->reply, p->length, reply, sizeof reply);
            if (length < 0)
                run(rollback_to);
            run(release);
        }
        p->length = length > 0 ? length : 0;
        memcpy(p->reply, reply, (size_t)p->length);
    }
    if (!run(commit)) {
        run(rollback);
        for (int i = 0; i < batch_size; ++i)
            batch[i].length = 0;
    }
}

static int group = 1;

/* The collating sequence whose presence marks a connection that records its own changes. */
static int own_trail(void* unused, int left_size, const void* left, int right_size, const void* right)
{
    (void)unused;
    const int common = memcmp(left, right, (size_t)(left_size < right_size ? left_size : right_size));
    return common != 0 ? common : left_size - right_size;
}

static void take_line(int fd, const char* id, int length)
{
    if (batch_size == kMaxFds || length >= kReplyMax)
        return;
    batch[batch_size].fd = fd;
    batch[batch_size].length = length;
    memcpy(batch[batch_size].reply, id, (size_t)length);
    ++batch_size;
}

static void take_turn(void)
{
    if (batch_size == 0)
        return;
    if (group)
        store_group();
    else
        store_single();
    for (int i = 0; i < batch_size; ++i)
        if (batch[i].fd >= 0 && batch[i].length > 0)
            send(batch[i].fd, batch[i].reply, (size_t)batch[i].length, MSG_NOSIGNAL);
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
        fprintf(stderr, "usage: refserver <database> <port> [group|single]\n");
        return 2;
    }
    group = argc < 4 || strcmp(argv[3], "single") != 0;
    if (sqlite3_open(argv[1], &db) != SQLITE_OK)
        die("open");
    sqlite3_busy_timeout(db, 5000);
    if (sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;", NULL, NULL, NULL) != SQLITE_OK)
        die("pragma");
    /* Marked as the time clock marks its own connection (a collating sequence of the program's): the file's
     * audit triggers stand aside for punches, so both servers write the same rows. */
    if (sqlite3_create_collation(db, "qorvil_own_trail", SQLITE_UTF8, NULL, own_trail) != SQLITE_OK)
        die("mark");
    prepare("select emp_id, emp_fname, emp_lname from Employee where emp_id = ?", &find_employee);
    prepare("select id, in1, out1, in2, out2, in3, out3, emp_id from timesheet where emp_id = ? and rsdate = ?",
            &find_row);
    prepare("insert into timesheet (emp_id, rsdate, in1) values (?, ?, ?)", &insert_row);
    for (int i = 0; i < 6; ++i) {
        char sql[128];
        snprintf(sql, sizeof sql, "update timesheet set %s = ? where id = ?", slot_names[i]);
        prepare(sql, &update_slot[i]);
    }
    prepare("begin immediate", &begin);
    prepare("commit", &commit);
    prepare("rollback", &rollback);
    prepare("savepoint punch", &savepoint);
    prepare("release punch", &release);
    prepare("rollback to punch", &rollback_to);

    static const struct ref_server server = {take_line, take_turn, forget_connection};
    return ref_serve(argv[2], &server);
}
