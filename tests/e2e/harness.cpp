#include "harness.h"

#include "app/tool_bar.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace e2e {

std::string WindowsPath(std::string path) {
    // Scripts hand Unix paths; Wine maps the root directory as drive Z:.
    if (!path.empty() && path[0] == '/') {
        for (auto& c : path)
            if (c == '/') c = '\\';
        path = "Z:" + path;
    }
    return path;
}

namespace {

std::string ProgramPath() {
    const char* exe = std::getenv("DODIR_EXE");
    if (!exe || !*exe) throw std::runtime_error("DODIR_EXE is not set");
    return WindowsPath(exe);
}

struct FindCtx {
    DWORD pid;
    const char* cls;
    const char* caption;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND wnd, LPARAM lp) {
    auto* ctx = reinterpret_cast<FindCtx*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    if (pid != ctx->pid || (ctx->visibleOnly && !::IsWindowVisible(wnd))) return TRUE;
    if (ClassOf(wnd) != ctx->cls) return TRUE;
    if (ctx->caption && TextOf(wnd) != ctx->caption) return TRUE;
    ctx->found = wnd;
    return FALSE;
}

void SendMouse(DWORD flags, int screenX = 0, int screenY = 0) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
        in.mi.dx = (screenX * 65536 + w / 2) / w;
        in.mi.dy = (screenY * 65536 + h / 2) / h;
    }
    in.mi.dwFlags = flags;
    ::SendInput(1, &in, sizeof in);
}

void SendKey(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &in, sizeof in);
}

} // namespace

Program::Program(int showCommand) {
    // The pointer rests away from where the window appears, so no move reaches it unasked.
    // Wine moves the X pointer only for a process that owns the foreground window.
    HWND anchor = ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 0,
                                    0, 4, 4, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ::SetForegroundWindow(anchor);
    ::SetCursorPos(1, 1);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 0, 0);
    MSG m;
    while (::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&m);
    ::DestroyWindow(anchor);
    WaitFor(
        [] {
            POINT p{};
            return ::GetCursorPos(&p) && p.x == 0 && p.y == 0;
        },
        1000);
    std::string cmd = "\"" + ProgramPath() + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (showCommand != SW_SHOWNORMAL) {
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = static_cast<WORD>(showCommand);
    }
    if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_))
        throw std::runtime_error("cannot start " + cmd);
    ::WaitForInputIdle(pi_.hProcess, 10000);
    main_ = FindWindowOf("TForm1", nullptr, 15000, showCommand == SW_SHOWNORMAL);
    if (!main_) throw std::runtime_error("the main window did not appear");
    // Let the start-up messages settle.
    ::Sleep(300);
}

Program::~Program() {
    if (WaitForExit(0) < 0) {
        ::TerminateProcess(pi_.hProcess, 99);
        ::WaitForSingleObject(pi_.hProcess, 5000);
    }
    ::CloseHandle(pi_.hThread);
    ::CloseHandle(pi_.hProcess);
}

long Program::WaitForExit(int timeoutMs) {
    if (::WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(pi_.hProcess, &code);
    return static_cast<long>(code);
}

HWND Program::FindWindowOf(const char* className, const char* caption, int timeoutMs,
                           bool visibleOnly) const {
    FindCtx ctx{pi_.dwProcessId, className, caption, visibleOnly, nullptr};
    WaitFor(
        [&] {
            ::EnumWindows(&FindTopLevel, reinterpret_cast<LPARAM>(&ctx));
            return ctx.found != nullptr;
        },
        timeoutMs);
    return ctx.found;
}

RECT ClientRectOnScreen(HWND wnd) {
    RECT r{};
    ::GetClientRect(wnd, &r);
    ::MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool SendWithRemoteBuffer(HWND wnd, UINT msg, WPARAM wParam, void* buf, SIZE_T size) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    HANDLE proc = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!proc) return false;
    void* remote = ::VirtualAllocEx(proc, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ::WriteProcessMemory(proc, remote, buf, size, nullptr);
    DWORD_PTR result = 0;
    const bool sent = ::SendMessageTimeoutA(wnd, msg, wParam, reinterpret_cast<LPARAM>(remote),
                                            SMTO_ABORTIFHUNG, 5000, &result) != 0;
    ::ReadProcessMemory(proc, remote, buf, size, nullptr);
    ::VirtualFreeEx(proc, remote, 0, MEM_RELEASE);
    ::CloseHandle(proc);
    return sent;
}

std::string StatusPanelText(HWND bar, dodir::TStatusPanel panel) {
    std::vector<char> buf(1024, '\0');
    if (!SendWithRemoteBuffer(bar, SB_GETTEXTA, static_cast<WPARAM>(panel), buf.data(), buf.size()))
        return "<no access>";
    buf.back() = '\0';
    return buf.data();
}

void ClickToolButton(HWND toolbar, int number) {
    const auto index = ::SendMessageA(toolbar, TB_COMMANDTOINDEX, dodir::TToolBar::CommandOf(number), 0);
    RECT r{};
    if (index < 0 || !SendWithRemoteBuffer(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(index), &r, sizeof r))
        throw std::runtime_error("no toolbar button " + std::to_string(number));
    Click(toolbar, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

HWND FocusOf(HWND wnd) {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(wnd, nullptr), &gui);
    return gui.hwndFocus;
}

void MoveMouse(HWND wnd, int x, int y) {
    POINT p{x, y};
    ::ClientToScreen(wnd, &p);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, p.x, p.y);
    ::Sleep(50);
}

void Click(HWND wnd, int x, int y, bool right) {
    MoveMouse(wnd, x, y);
    SendMouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
    ::Sleep(30);
    SendMouse(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
    ::Sleep(100);
}

void Drag(HWND wnd, int fromX, int fromY, int toX, int toY) {
    MoveMouse(wnd, fromX, fromY);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    ::Sleep(30);
    MoveMouse(wnd, (fromX + toX) / 2, (fromY + toY) / 2);
    MoveMouse(wnd, toX, toY);
    SendMouse(MOUSEEVENTF_LEFTUP);
    ::Sleep(100);
}

void ClickMiddle(HWND wnd) {
    RECT r{};
    ::GetClientRect(wnd, &r);
    Click(wnd, r.right / 2, r.bottom / 2);
}

void ClearField(HWND edit) {
    Click(edit, 10, 10);
    PressKey(VK_HOME);
    PressKey(VK_END, true);
    PressKey(VK_DELETE);
}

void PressKey(WORD vk, bool shift, bool ctrl, bool alt) {
    if (shift) SendKey(VK_SHIFT, false);
    if (ctrl) SendKey(VK_CONTROL, false);
    if (alt) SendKey(VK_MENU, false);
    SendKey(vk, false);
    SendKey(vk, true);
    if (alt) SendKey(VK_MENU, true);
    if (ctrl) SendKey(VK_CONTROL, true);
    if (shift) SendKey(VK_SHIFT, true);
    ::Sleep(60);
}

void TypeText(const std::string& ascii) {
    for (char c : ascii) {
        const SHORT code = ::VkKeyScanA(c);
        if (code == -1) continue;
        PressKey(static_cast<WORD>(LOBYTE(code)), (HIBYTE(code) & 1) != 0);
    }
}

void Activate(HWND wnd) {
    ::SetForegroundWindow(wnd);
    WaitFor([&] { return ::GetForegroundWindow() == wnd; }, 2000);
}

bool SaveScreenshot(HWND wnd, const std::string& path) {
    RECT r{};
    ::GetWindowRect(wnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bmp = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(mem, bmp);
    ::BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    ::SelectObject(mem, old);
    const int stride = ((w * 3) + 3) & ~3;
    const DWORD dataSize = static_cast<DWORD>(stride * h);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + dataSize;
    bool ok = false;
    if (FILE* f = std::fopen(WindowsPath(path).c_str(), "wb")) {
        ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 &&
             std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 &&
             std::fwrite(bits, 1, dataSize, f) == dataSize;
        std::fclose(f);
    }
    ::DeleteObject(bmp);
    ::DeleteDC(mem);
    ::ReleaseDC(nullptr, screen);
    return ok;
}

COLORREF PixelAt(HWND wnd, int x, int y) {
    POINT p{x, y};
    ::ClientToScreen(wnd, &p);
    HDC screen = ::GetDC(nullptr);
    const COLORREF c = ::GetPixel(screen, p.x, p.y);
    ::ReleaseDC(nullptr, screen);
    return c;
}

} // namespace e2e
