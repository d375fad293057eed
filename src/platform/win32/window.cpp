// The Windows back end's window, its message pump and the cursor.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/backend.h"
#include "platform/core.h"
#include "platform/win32/backend_state.h"

namespace plat {
namespace win32::detail {
namespace {

void LowerTimerResolution() {
    if (state.TimerRaised) timeEndPeriod(1);
    state.TimerRaised = false;
}

// Idle's short sleeps and the sound feeder need a 1 ms timer, not the
// default 15.6 ms; raised while the game runs.
void RaiseTimerResolution() {
    if (state.TimerRaised) return;
    state.TimerRaised = timeBeginPeriod(1) == TIMERR_NOERROR;
    if (state.TimerRaised) std::atexit(LowerTimerResolution);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            // Nothing is painted outside the flip chain.
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_CLOSE:
            // The game's own window procedure decides; the window stays until
            // the program ends.
            core::Feed(CloseEvent());
            return 0;
        case WM_ACTIVATEAPP: state.Active = wParam != 0; return 0;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT && state.CursorHidden) {
                SetCursor(nullptr);
                return TRUE;
            }
            break;
        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

const char* ResultName(HRESULT result) {
    switch (result) {
        case E_INVALIDARG: return "E_INVALIDARG";
        case E_OUTOFMEMORY: return "E_OUTOFMEMORY";
        case E_FAIL: return "E_FAIL";
        case E_NOTIMPL: return "E_NOTIMPL";
        case E_NOINTERFACE: return "E_NOINTERFACE";
        case DDERR_SURFACELOST: return "DDERR_SURFACELOST";
        case DDERR_INVALIDMODE: return "DDERR_INVALIDMODE";
        case DDERR_UNSUPPORTEDMODE: return "DDERR_UNSUPPORTEDMODE";
        case DDERR_NOEXCLUSIVEMODE: return "DDERR_NOEXCLUSIVEMODE";
        case DDERR_EXCLUSIVEMODEALREADYSET: return "DDERR_EXCLUSIVEMODEALREADYSET";
        case DDERR_NODIRECTDRAWHW: return "DDERR_NODIRECTDRAWHW";
        case DDERR_OUTOFVIDEOMEMORY: return "DDERR_OUTOFVIDEOMEMORY";
        case DDERR_WRONGMODE: return "DDERR_WRONGMODE";
        case DDERR_NOTFLIPPABLE: return "DDERR_NOTFLIPPABLE";
        case DSERR_NODRIVER: return "DSERR_NODRIVER";
        case DSERR_ALLOCATED: return "DSERR_ALLOCATED";
        case DSERR_BUFFERLOST: return "DSERR_BUFFERLOST";
        case DSERR_PRIOLEVELNEEDED: return "DSERR_PRIOLEVELNEEDED";
        case DSERR_BADFORMAT: return "DSERR_BADFORMAT";
        case DIERR_INPUTLOST: return "DIERR_INPUTLOST";
        case DIERR_NOTACQUIRED: return "DIERR_NOTACQUIRED";
        case DIERR_OLDDIRECTINPUTVERSION: return "DIERR_OLDDIRECTINPUTVERSION";
        case DIERR_BETADIRECTINPUTVERSION: return "DIERR_BETADIRECTINPUTVERSION";
        case DIERR_DEVICENOTREG: return "DIERR_DEVICENOTREG";
        default: return nullptr;
    }
}

}  // namespace

Backend state;

void SetResultError(const char* call, HRESULT result) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
    const char* name = ResultName(result);
    core::SetLastError(std::string(call) +
                       " failed: " + (name != nullptr ? std::string(name) + " (" + code + ")" : code));
}

void SetSystemError(const char* call) {
    const DWORD error = GetLastError();
    char text[256] = "";
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        text, sizeof text, nullptr);
    std::string why = length > 0 ? std::string(text, length) : "error " + std::to_string(error);
    while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == ' ')) why.pop_back();
    core::SetLastError(std::string(call) + " failed: " + why);
}

bool RegisterClassOnce() {
    if (state.WindowClass) return true;
    if (state.Instance == nullptr) state.Instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = state.Instance;
    // The program's own icon (resource 1), so that the task bar shows what
    // Explorer shows; the stock one for a program built without it.
    windowClass.hIcon = LoadIconA(state.Instance, MAKEINTRESOURCEA(1));
    if (windowClass.hIcon == nullptr) windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "QORBCLASS";
    if (RegisterClassA(&windowClass) == 0) {
        SetSystemError("RegisterClassA");
        return false;
    }
    state.WindowClass = true;
    return true;
}

}  // namespace win32::detail

using win32::detail::state;

namespace backend {

bool OpenWindow(const char* title, int32_t width, int32_t height) {
    if (!win32::detail::RegisterClassOnce()) return false;
    // A small pop-up: the display's exclusive mode later takes the screen.
    state.Window = CreateWindowExA(0, "QORBCLASS", title, WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                                   state.Instance, nullptr);
    if (state.Window == nullptr) {
        win32::detail::SetSystemError("CreateWindowExA");
        return false;
    }
    state.Active = true;
    win32::detail::RaiseTimerResolution();
    return true;
}

void PumpEvents() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            core::Feed(CloseEvent());
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    win32::detail::ReadKeys();
    win32::detail::ReadMouse();
    win32::detail::ReadPads();
    win32::detail::CheckSoundDevice();
}

void SetCursorVisible(bool visible) {
    state.CursorHidden = !visible;
    ::ShowCursor(visible ? TRUE : FALSE);
}

}  // namespace backend
}  // namespace plat
