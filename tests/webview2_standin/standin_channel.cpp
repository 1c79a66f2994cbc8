#include "standin_channel.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace standin {

namespace {

constexpr UINT kRunLater = WM_APP + 1;

SOCKET g_socket = INVALID_SOCKET;
HWND g_queue = nullptr;
std::function<void(const std::string&)> g_commandHandler;

LRESULT CALLBACK queueProcedure(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    if (message != kRunLater) return DefWindowProcW(window, message, wp, lp);
    auto* work = reinterpret_cast<std::function<void()>*>(lp);
    (*work)();
    delete work;
    return 0;
}

// Lines from the socket, up to and without the line feed; false at the end.
bool readLine(std::string& line) {
    line.clear();
    char c;
    while (recv(g_socket, &c, 1, 0) == 1) {
        if (c == '\n') return true;
        line += c;
    }
    return false;
}

Setup connectToTest() {
    Setup result;
    WNDCLASSW queueClass{};
    queueClass.lpfnWndProc = queueProcedure;
    queueClass.hInstance = GetModuleHandleW(nullptr);
    queueClass.lpszClassName = L"sonabel_webview2_standin";
    RegisterClassW(&queueClass);
    g_queue = CreateWindowW(queueClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);

    const char* port = std::getenv("SONABEL_WEBVIEW2_STANDIN_PORT");
    WSADATA wsa;
    if (!port || !g_queue || WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return result;
    g_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(std::atoi(port)));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(g_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return result;

    // "setup runtime=1 environment=0x0 controller=0x0"
    std::string line;
    if (!readLine(line)) return result;
    int runtime = 1;
    unsigned long environment = 0, controller = 0;
    std::sscanf(line.c_str(), "setup runtime=%d environment=%lx controller=%lx", &runtime, &environment, &controller);
    result = {true, runtime != 0, static_cast<HRESULT>(environment), static_cast<HRESULT>(controller)};

    // The reader outlives the library's hold on this DLL, so keep it loaded.
    HMODULE self;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&connectToTest), &self);
    std::thread([] {
        std::string command;
        while (readLine(command)) {
            later([command] {
                if (g_commandHandler) g_commandHandler(command);
            });
        }
    }).detach();
    return result;
}

}  // namespace

const Setup& setup() {
    static const Setup connected = connectToTest();
    return connected;
}

void sendLine(const std::string& line) {
    if (g_socket != INVALID_SOCKET) send(g_socket, line.data(), int(line.size()), 0);
}

void later(std::function<void()> work) {
    PostMessageW(g_queue, kRunLater, 0, reinterpret_cast<LPARAM>(new std::function<void()>(std::move(work))));
}

void onCommand(std::function<void(const std::string&)> handler) { g_commandHandler = std::move(handler); }

}  // namespace standin
