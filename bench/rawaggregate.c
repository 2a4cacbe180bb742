/* The yardstick for the payroll reports: the summary figures of every employee over a date range, straight
 * from the raw sqlite3 API with the same indexes and the same rounding (whole minutes per pair, 4 decimals,
 * 4 regular hours per pair). Prints the elapsed time and check sums to compare with the time clock's figures.
 *   rawaggregate <database> <from yyyy-mm-dd> <to yyyy-mm-dd> */
#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double round4(double value)
{
    char text[64];
    snprintf(text, sizeof text, "%.4f", value);
    return strtod(text, NULL);
}

static int seconds_of(const unsigned char* text)
{
    if (!text || text[2] != ':' || text[5] != ':')
        return -1;
    return ((text[0] - '0') * 10 + text[1] - '0') * 3600 + ((text[3] - '0') * 10 + text[4] - '0') * 60 +
           (text[6] - '0') * 10 + text[7] - '0';
}

int main(int argc, char** argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: rawaggregate <database> <from> <to>\n");
        return 2;
    }
    struct timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    sqlite3* db;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY, NULL) != SQLITE_OK)
        return 1;
    /* The page cache the time clock's store opens with, so that both read the same pages from the system. */
    sqlite3_exec(db, "PRAGMA cache_size=-65536", NULL, NULL, NULL);
    sqlite3_stmt *employees, *rows;
    sqlite3_prepare_v2(db, "select emp_id, reg_wage, ot_wage from Employee", -1, &employees, NULL);
    sqlite3_prepare_v2(db,
                       "select in1, out1, in2, out2, in3, out3 from timesheet"
                       " where emp_id = ? and rsdate >= ? and rsdate <= ?",
                       -1, &rows, NULL);
    int people = 0;
    long pairs = 0;
    double all_hours = 0, all_earnings = 0;
    while (sqlite3_step(employees) == SQLITE_ROW) {
        double reg_wage = sqlite3_column_double(employees, 1), ot_wage = sqlite3_column_double(employees, 2);
        double work = 0, regular = 0, overtime = 0;
        sqlite3_bind_value(rows, 1, sqlite3_column_value(employees, 0));
        sqlite3_bind_text(rows, 2, argv[2], -1, SQLITE_STATIC);
        sqlite3_bind_text(rows, 3, argv[3], -1, SQLITE_STATIC);
        while (sqlite3_step(rows) == SQLITE_ROW) {
            for (int p = 0; p < 3; ++p) {
                int in = seconds_of(sqlite3_column_text(rows, 2 * p));
                if (in < 0)
                    continue;
                ++pairs;
                int out = seconds_of(sqlite3_column_text(rows, 2 * p + 1));
                int span = out < in ? 0 : out - in; /* open or reversed pairs count nothing */
                long minutes = span / 60;
                /* whole minutes to 4 decimals in integers: a tie at the fifth decimal cannot occur */
                double hours = (double)((minutes * 10000 + 30) / 60) / 10000.0;
                work += hours;
                if (minutes > 240) {
                    regular += 4;
                    overtime += (double)(((minutes - 240) * 10000 + 30) / 60) / 10000.0;
                } else {
                    regular += hours;
                }
            }
        }
        sqlite3_reset(rows);
        all_hours += round4(work);
        all_earnings += round4(regular) * reg_wage + round4(overtime) * ot_wage;
        ++people;
    }
    clock_gettime(CLOCK_MONOTONIC, &end);
    double ms = (end.tv_sec - start.tv_sec) * 1e3 + (end.tv_nsec - start.tv_nsec) / 1e6;
    printf("ms %.2f employees %d pairs %ld hours %.4f earnings %.6f\n", ms, people, pairs, all_hours, all_earnings);
    sqlite3_close(db);
    return 0;
}
