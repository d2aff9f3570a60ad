/* The reference for what wine allows a file server: one thread, blocking
 * Winsock calls, one request per connection, the file sent in 1 MB pieces.
 * bench-play.js compiles it for 32-bit and 64-bit Windows and runs both in the
 * same prefix as play.exe.
 *   winsock-ref.exe PORT FOLDER
 * Serves FOLDER\<path> for "GET /<path>"; anything else gets 404. */
#include <winsock2.h>
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define CHUNK (1024 * 1024)

static char chunk[CHUNK];

static int SendAll(SOCKET s, const char* data, int n) {
    while (n > 0) {
        int sent = send(s, data, n, 0);
        if (sent <= 0)
            return 0;
        data += sent;
        n -= sent;
    }
    return 1;
}

static void Serve(SOCKET s, const char* folder) {
    char head[8192];
    int got = 0;
    head[0] = 0;
    while (got < (int)sizeof(head) - 1 && !strstr(head, "\r\n\r\n")) {
        int n = recv(s, head + got, (int)sizeof(head) - 1 - got, 0);
        if (n <= 0)
            return;
        got += n;
        head[got] = 0;
    }
    char path[MAX_PATH] = "";
    char* end = strchr(head + 5, ' ');
    if (strncmp(head, "GET /", 5) == 0 && end && end - (head + 5) < 200) {
        *end = 0;
        snprintf(path, sizeof(path), "%s\\%s", folder, head + 5);
    }
    HANDLE file = path[0] ? CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, NULL)
                          : INVALID_HANDLE_VALUE;
    LARGE_INTEGER size;
    if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size)) {
        static const char missing[] = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        SendAll(s, missing, (int)sizeof(missing) - 1);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        return;
    }
    int n = snprintf(chunk, CHUNK, "HTTP/1.1 200 OK\r\nContent-Length: %lld\r\nConnection: close\r\n\r\n",
                     (long long)size.QuadPart);
    DWORD read = 0;
    /* The first piece carries the headers, as play.exe's does. */
    while (ReadFile(file, chunk + n, CHUNK - n, &read, NULL) && (n + (int)read) > 0) {
        if (!SendAll(s, chunk, n + (int)read))
            break;
        if (read == 0)
            break;
        n = 0;
    }
    CloseHandle(file);
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: winsock-ref PORT FOLDER\n");
        return 2;
    }
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    struct sockaddr_in addr;
    memset(&addr, 0, sizeof(addr));
    addr.sin_family = AF_INET;
    addr.sin_port = htons((u_short)atoi(argv[1]));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener, (struct sockaddr*)&addr, sizeof(addr)) != 0 || listen(listener, SOMAXCONN) != 0) {
        fprintf(stderr, "winsock-ref: cannot listen on port %s\n", argv[1]);
        return 1;
    }
    for (;;) {
        SOCKET s = accept(listener, NULL, NULL);
        if (s == INVALID_SOCKET)
            continue;
        Serve(s, argv[2]);
        shutdown(s, SD_SEND);
        /* Read what the client still sends until it closes, so that closing
         * does not reset the connection under the answer's tail. */
        char rest[4096];
        while (recv(s, rest, sizeof(rest), 0) > 0) {
        }
        closesocket(s);
    }
}
