#include "base/win/handles.h"

#include <commctrl.h>

#include <cstring>

#include "base/errors.h"

namespace dodir::win {

void ImageListTraits::Close(HIMAGELIST h) { ::ImageList_Destroy(h); }

namespace {

// The wait cursors up on this thread.
thread_local int t_waiting = 0;

bool OpenClipboardPatiently(HWND owner) {
    constexpr int kRetries = 10;
    constexpr DWORD kPauseMs = 10;
    for (int retry = 0;; ++retry) {
        if (::OpenClipboard(owner)) return true;
        if (retry == kRetries) return false;
        ::Sleep(kPauseMs);
    }
}

} // namespace

WaitCursor::WaitCursor() noexcept : previous_(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT))) { ++t_waiting; }

WaitCursor::~WaitCursor() {
    if (--t_waiting > 0) return; // an outer one still waits
    POINT at{};
    HWND under = !::GetCapture() && ::GetCursorPos(&at) ? ::WindowFromPoint(at) : nullptr;
    if (!under || ::GetWindowThreadProcessId(under, nullptr) != ::GetCurrentThreadId()) {
        ::SetCursor(previous_);
        return;
    }
    // What the platform sends when the mouse moves over a window.
    const LRESULT hit = ::SendMessageA(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
    ::SendMessageA(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                   MAKELPARAM(static_cast<WORD>(hit), WM_MOUSEMOVE));
}

bool WaitCursor::Showing() noexcept { return t_waiting > 0; }

ClipboardScope::ClipboardScope(HWND owner) : open_(OpenClipboardPatiently(owner)) {
    if (!open_) throw Exception("クリップボードを開くことができません");
}

ClipboardScope::ClipboardScope(HWND owner, TIfFree) noexcept : open_(OpenClipboardPatiently(owner)) {}

bool ClipboardFree(HWND owner) {
    if (!OpenClipboardPatiently(owner)) return false;
    ::CloseClipboard();
    return true;
}

std::string ClipboardScope::Text() const {
    HANDLE mem = ::GetClipboardData(CF_TEXT);
    if (!mem) return {};
    const auto* p = static_cast<const char*>(::GlobalLock(mem));
    if (!p) return {};
    std::string text(p, ::strnlen(p, ::GlobalSize(mem)));
    ::GlobalUnlock(mem);
    return text;
}

void ClipboardScope::SetText(const std::string& text) {
    HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!mem) throw EOutOfResources("メモリが不足しています");
    void* p = ::GlobalLock(mem);
    std::memcpy(p, text.c_str(), text.size() + 1);
    ::GlobalUnlock(mem);
    ::EmptyClipboard();
    if (!::SetClipboardData(CF_TEXT, mem)) ::GlobalFree(mem);
}

} // namespace dodir::win
