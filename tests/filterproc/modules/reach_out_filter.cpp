// A filter that tries what a confined one must not manage: a TCP connection
// to 127.0.0.1 (the port in MUGWARP_PROBE_PORT) and a new file in $HOME. It
// finishes either way, writing what worked into the first pixel: red 1 when
// it connected, green 1 when it made the file.
#ifdef _WIN32
#include <winsock2.h>
#include <windows.h>
#define PROBE_EXPORT extern "C" __declspec(dllexport)
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#define PROBE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

#include <cstdint>
#include <cstdlib>
#include <string>

#include "pshost/filter_abi.h"

namespace {

using namespace mugwarp::abi;

bool connectsToLocalPort() {
    const char* port = std::getenv("MUGWARP_PROBE_PORT");
    if (!port) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(std::atoi(port)));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
#ifdef _WIN32
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    const bool connected = s != INVALID_SOCKET && connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (s != INVALID_SOCKET) closesocket(s);
    WSACleanup();
#else
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool connected = s >= 0 && ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (s >= 0) ::close(s);
#endif
    return connected;
}

bool makesFileInHome() {
#ifdef _WIN32
    // Wine hands Windows programs $HOME as "\??\Z:\home\user".
    const char* home = std::getenv("WINEHOMEDIR");
    if (!home || std::string(home).rfind("\\??\\", 0) != 0) return false;
    const std::string path = std::string(home + 4) + "\\written-by-a-filter";
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
#else
    const char* home = std::getenv("HOME");
    if (!home) return false;
    const std::string path = std::string(home) + "/written-by-a-filter";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::close(fd);
#endif
    return true;
}

}  // namespace

PROBE_EXPORT void ReachOut(std::int16_t selector, FilterRecord* r, std::intptr_t*, std::int16_t* result) {
    *result = kNoErr;
    if (selector == kSelectorStart) {
        r->outRect = {0, 0, 1, 1};
        r->outLoPlane = 0;
        r->outHiPlane = 2;
    } else if (selector == kSelectorContinue) {
        auto* pixel = static_cast<std::uint8_t*>(r->outData);
        pixel[0] = connectsToLocalPort();
        pixel[1] = makesFileInHome();
        pixel[2] = 0;
        r->outRect = {};
    }
}
