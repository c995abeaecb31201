// The application window, its procedure, and the message pump that also brings lost
// surfaces back while the window is active.
#include "display/display_device.h"

namespace {

constexpr const char* kWindowClass = "Vantor Window";
constexpr DWORD kWindowStyle = WS_POPUP | WS_VISIBLE;

HWND CreateDeviceWindow(HINSTANCE instance, const char* title, int32_t width, int32_t height) {
    return CreateWindowExA(0, kWindowClass, title, kWindowStyle, 0, 0, width, height, nullptr,
                           nullptr, instance, nullptr);
}

void SetActive(int32_t active) {
    // Messages can arrive while no device exists (a window outliving it at exit).
    if (currentDevice != nullptr) currentDevice->active = active;
}

}  // namespace

HWND DisplayDevice::CreateAppWindow(HINSTANCE instance, const char* title, int32_t width,
                                    int32_t height) {
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = DeviceWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);  // already registered by an earlier call: that class serves

    // A first window measures what the frame takes from the client area; the real one is
    // made that much larger, so that its client area is exactly width x height.
    HWND measuring = CreateDeviceWindow(instance, title, width, height);
    if (measuring == nullptr) return nullptr;
    RECT client{};
    GetClientRect(measuring, &client);
    DestroyWindow(measuring);
    const int32_t clientWidth = client.right - client.left;
    const int32_t clientHeight = client.bottom - client.top;

    HWND window =
        CreateDeviceWindow(instance, title, 2 * width - clientWidth, 2 * height - clientHeight);
    if (window == nullptr) return nullptr;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return window;
}

LRESULT CALLBACK DeviceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: SetActive(1); return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        case WM_ACTIVATE: {
            // The high word (minimised) does not matter; the device only needs to know
            // whether its surfaces can be restored.
            const WORD state = LOWORD(wParam);
            SetActive(state == WA_ACTIVE || state == WA_CLICKACTIVE ? 1 : 0);
            return 0;
        }
        // Windowed, frames go to where the client area is now.
        case WM_MOVE:
        case WM_SIZE:
            if (currentDevice != nullptr && window == currentDevice->windowHandle)
                currentDevice->FollowWindow();
            return DefWindowProcA(window, message, wParam, lParam);
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            return 0;
        }
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

void DisplayDevice::FollowWindow() {
    if (initialized != 1 || fullScreen != 0) return;
    RECT client{};
    POINT origin{0, 0};
    if (!GetClientRect(windowHandle, &client) || !ClientToScreen(windowHandle, &origin)) return;
    windowRect = {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
}

int32_t DisplayDevice::PumpMessages() {
    // One message per call; a quit message is dispatched like any other and ends nothing.
    MSG message;
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (active != 1 || initialized != 1) return 0;
    offscreenBuffer->Restore();
    return primarySurface->Restore() == DD_OK ? 1 : 0;
}
