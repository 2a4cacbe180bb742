/* The network half both reference servers share: a single-threaded epoll loop on 127.0.0.1 that greets each
 * terminal with "CRA", cuts what it sends into lines (a line feed ends an ID, a carriage return before it is
 * dropped) and, once per turn of the loop, hands the turn's IDs to the server to store and answer. A line on
 * standard input reports the process's usage; its end ends the program. Not a product: no limits, no bare IDs. */
#pragma once

#define _GNU_SOURCE
#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

enum { kRefMaxFds = 4096, kRefLineMax = 256 };

struct ref_server
{
    /* An ID read in this turn: the server keeps it for its turn. */
    void (*line)(int fd, const char* id, int length);
    /* The turn's IDs are all read: store them and send their answers. */
    void (*turn)(void);
    /* A connection closed: no answer goes to it any more. */
    void (*closed)(int fd);
};

static void ref_report_usage(void)
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    long long us = (long long)(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000 + usage.ru_utime.tv_usec +
                   usage.ru_stime.tv_usec;
    printf("cpu_us %lld peak_kib %ld\n", us, usage.ru_maxrss);
    fflush(stdout);
}

/* Listens on the port and serves until standard input ends; the exit status of the program. */
static int ref_serve(const char* port, const struct ref_server* server)
{
    static struct
    {
        char text[kRefLineMax];
        int length;
    } partial[kRefMaxFds];
    int listener = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    struct sockaddr_in addr = {.sin_family = AF_INET, .sin_port = htons((unsigned short)atoi(port))};
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener, (struct sockaddr*)&addr, sizeof addr) < 0 || listen(listener, 1024) < 0) {
        perror("listen");
        return 1;
    }
    int ep = epoll_create1(0);
    struct epoll_event ev = {.events = EPOLLIN, .data.fd = listener};
    epoll_ctl(ep, EPOLL_CTL_ADD, listener, &ev);
    struct epoll_event input = {.events = EPOLLIN, .data.fd = STDIN_FILENO};
    epoll_ctl(ep, EPOLL_CTL_ADD, STDIN_FILENO, &input);
    printf("listening %s\n", port);
    fflush(stdout);

    static char buffer[1 << 16];
    struct epoll_event events[256];
    for (;;) {
        int n = epoll_wait(ep, events, 256, -1);
        for (int i = 0; i < n; ++i) {
            int fd = events[i].data.fd;
            if (fd == STDIN_FILENO) {
                ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
                ref_report_usage();
                if (got <= 0)
                    return 0;
                continue;
            }
            if (fd == listener) {
                int client;
                while ((client = accept4(listener, NULL, NULL, SOCK_NONBLOCK)) >= 0) {
                    if (client >= kRefMaxFds) {
                        close(client);
                        continue;
                    }
                    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
                    struct epoll_event cev = {.events = EPOLLIN, .data.fd = client};
                    epoll_ctl(ep, EPOLL_CTL_ADD, client, &cev);
                    partial[client].length = 0;
                    send(client, "CRA", 3, MSG_NOSIGNAL);
                }
                continue;
            }
            ssize_t got = recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0) {
                if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                    epoll_ctl(ep, EPOLL_CTL_DEL, fd, NULL);
                    close(fd);
                    server->closed(fd);
                }
                continue;
            }
            for (ssize_t k = 0; k < got; ++k) {
                char c = buffer[k];
                if (c != '\n') {
                    if (partial[fd].length < kRefLineMax)
                        partial[fd].text[partial[fd].length++] = c;
                    continue;
                }
                int length = partial[fd].length;
                partial[fd].length = 0;
                if (length > 0 && partial[fd].text[length - 1] == '\r')
                    --length;
                if (length > 0 && length < kRefLineMax)
                    server->line(fd, partial[fd].text, length);
            }
        }
        server->turn();
    }
}
