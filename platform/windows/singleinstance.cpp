#include "platform/singleinstance.h"

#include <cstdio>
#include <string>
#include <windows.h>

namespace kx {

namespace {

constexpr UINT kAnswerWaitMs = 2000;
constexpr int kFindAttempts = 20; // a program that has just claimed the place makes its window at once
constexpr DWORD kFindPauseMs = 100;
const wchar_t* const kWindowClass = L"Kalibrix.SingleInstance";

// The place's name: the user, in the session's own namespace ("Local\"), so that programs in other
// sessions (another desktop, a remote one) are not seen.
std::wstring placeName() {
    wchar_t user[256 + 1] = {};
    DWORD size = 256 + 1;
    if (!::GetUserNameW(user, &size)) user[0] = 0;
    std::wstring name = L"Local\\Kalibrix-";
    for (const wchar_t* c = user; *c; ++c) name += *c == L'\\' ? L'_' : *c;
    return name;
}

UINT frontMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"Kalibrix.ComeToFront");
    return message;
}

LRESULT CALLBACK hearRequests(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == frontMessage() && message != 0) {
        auto* self = reinterpret_cast<SingleInstance*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && self->onActivationRequest) self->onActivationRequest();
        return 1;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// Asks the program that holds the place to come to the front; false when it has no window (it has
// just ended, or has not made it yet) or does not answer.
bool askToComeToFront(const std::wstring& name) {
    HWND other = ::FindWindowExW(HWND_MESSAGE, nullptr, kWindowClass, name.c_str());
    if (!other) return false;
    DWORD process = 0;
    ::GetWindowThreadProcessId(other, &process);
    ::AllowSetForegroundWindow(process); // this start was the user's: it may hand on the focus
    DWORD_PTR answer = 0;
    return ::SendMessageTimeoutW(other, frontMessage(), 0, 0, SMTO_ABORTIFHUNG, kAnswerWaitMs, &answer) != 0 &&
           answer == 1;
}

} // namespace

QString thisDisplay() {
    return {}; // one place per user and session, whatever the display
}

// The named mutex that holds the place, and the hidden window that hears the requests.
struct SingleInstance::Private {
    HANDLE mutex = nullptr;
    HWND window = nullptr;
};

SingleInstance::SingleInstance(Clock&, const QString&) : d(std::make_unique<Private>()) {}

SingleInstance::~SingleInstance() {
    if (d->window) ::DestroyWindow(d->window);
    if (d->mutex) ::CloseHandle(d->mutex);
}

bool SingleInstance::claim() {
    const std::wstring name = placeName();
    for (int attempt = 0; attempt < kFindAttempts; ++attempt) {
        // The mutex ends with the last program that holds it, however that program ends.
        HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
        // Without a mutex (another user's of that name, no rights) nothing can be told: run.
        if (!mutex) return true;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            d->mutex = mutex;
            HINSTANCE instance = ::GetModuleHandleW(nullptr);
            WNDCLASSEXW windowClass{};
            windowClass.cbSize = sizeof windowClass;
            windowClass.lpfnWndProc = hearRequests;
            windowClass.hInstance = instance;
            windowClass.lpszClassName = kWindowClass;
            ::RegisterClassExW(&windowClass);
            // A message-only window: never shown, found by its class and the place's name.
            HWND window = ::CreateWindowExW(0, kWindowClass, name.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                            instance, nullptr);
            if (window) ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            d->window = window;
            return true;
        }
        ::CloseHandle(mutex);
        if (askToComeToFront(name)) return false;
        ::Sleep(kFindPauseMs);
    }
    std::fprintf(stderr, "Kalibrix is already running in this session but does not answer.\n");
    return false;
}

} // namespace kx
