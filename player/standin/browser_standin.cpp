// Stands in for a browser where the machine has none for Windows programs
// (scripts/run.sh registers it in the wine prefix): it prints the address
// the player handed it and fetches that page once, so that the player sees
// a request and stays up for its idle hour. The page itself is for a real
// browser of the machine to show. A program that the player starts has no
// output the user sees, so the lines go to the file that
// HINTORA_STANDIN_OUT names when it is set.
#include <winsock2.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace {

// The address: the first "http://" word of the command line.
std::string AddressFromCommandLine() {
    std::wstring line = GetCommandLineW();
    size_t begin = line.find(L"http://");
    if (begin == std::wstring::npos)
        return std::string();
    size_t end = line.find(L' ', begin);
    std::wstring address = line.substr(begin, end == std::wstring::npos ? std::wstring::npos : end - begin);
    // The player's addresses are ASCII, the start page aside; a byte per
    // character keeps this tool free of conversions.
    return std::string(address.begin(), address.end());
}

// The player answers its status text in the ANSI code page, which is ours
// too (it started us); the file gets UTF-8, which run.sh prints in the
// terminal's character set.
std::string AnsiToUtf8(const std::string& text) {
    const int size = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (wide <= 0)
        return text;
    std::wstring buffer(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, &buffer[0], wide);
    const int n = WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wide, &utf8[0], n, nullptr, nullptr);
    return utf8;
}

// Sends one GET for the address and returns the answer's status line.
std::string FetchOnce(const std::string& address) {
    const std::string rest = address.substr(7);
    const size_t slash = rest.find('/');
    const std::string hostPort = rest.substr(0, slash);
    const std::string path = slash == std::string::npos ? "/" : rest.substr(slash);
    const size_t colon = hostPort.rfind(':');
    const int port = colon == std::string::npos ? 80 : atoi(hostPort.c_str() + colon + 1);

    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        return "(no sockets)";
    std::string status = "(no answer)";
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<u_short>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // the player listens on 127.0.0.1 only
    if (s != INVALID_SOCKET && connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0) {
        const std::string request =
            "GET " + path + " HTTP/1.1\r\nHost: " + hostPort + "\r\nConnection: close\r\n\r\n";
        send(s, request.data(), static_cast<int>(request.size()), 0);
        std::string answer;
        char chunk[4096];
        int n;
        while ((n = recv(s, chunk, sizeof(chunk), 0)) > 0)
            answer.append(chunk, static_cast<size_t>(n));
        status = answer.substr(0, answer.find("\r\n"));
    }
    if (s != INVALID_SOCKET)
        closesocket(s);
    WSACleanup();
    return status;
}

}  // namespace

int main() {
    wchar_t name[MAX_PATH] = {};
    std::ofstream file;
    if (GetEnvironmentVariableW(L"HINTORA_STANDIN_OUT", name, MAX_PATH) != 0)
        file.open(std::filesystem::path(name), std::ios::app);
    std::ostream& out = file.is_open() ? static_cast<std::ostream&>(file) : std::cout;

    const std::string address = AddressFromCommandLine();
    if (address.empty()) {
        out << "browser stand-in: no address given" << std::endl;
        return 1;
    }
    out << "browser stand-in: asked to open " << address << std::endl;
    out << "browser stand-in: fetched it once: " << AnsiToUtf8(FetchOnce(address)) << std::endl;
    return 0;
}
