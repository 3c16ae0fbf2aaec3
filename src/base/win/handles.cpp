#include "base/win/handles.h"

#include <commctrl.h>

#include <cstring>

#include "base/errors.h"

namespace dodir::win {

void ImageListTraits::Close(HIMAGELIST h) { ::ImageList_Destroy(h); }

namespace {

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
