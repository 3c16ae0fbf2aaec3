// Owners for platform handles: each closes its handle with the matching call, once.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>

namespace dodir::win {

template <class H, class Traits> class UniqueHandle {
  public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(H h) noexcept : h_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::Invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, Traits::Invalid()));
        return *this;
    }
    ~UniqueHandle() { reset(); }

    H get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != Traits::Invalid(); }
    H release() noexcept { return std::exchange(h_, Traits::Invalid()); }
    void reset(H h = Traits::Invalid()) noexcept {
        if (h_ != Traits::Invalid()) Traits::Close(h_);
        h_ = h;
    }

  private:
    H h_ = Traits::Invalid();
};

template <class H> struct GdiTraits {
    static H Invalid() { return nullptr; }
    static void Close(H h) { ::DeleteObject(h); }
};
// A COM interface pointer, released once.
template <class I> struct ComTraits {
    static I* Invalid() { return nullptr; }
    static void Close(I* p) { p->Release(); }
};
template <class I> using UniqueCom = UniqueHandle<I*, ComTraits<I>>;

struct FileTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct KernelTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct LibraryTraits {
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE h) { ::FreeLibrary(h); }
};
// A device context of CreateDC, CreateIC or CreateCompatibleDC.
struct DcTraits {
    static HDC Invalid() { return nullptr; }
    static void Close(HDC h) { ::DeleteDC(h); }
};
struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static void Close(HICON h) { ::DestroyIcon(h); }
};
struct ImageListTraits {
    static HIMAGELIST Invalid() { return nullptr; }
    static void Close(HIMAGELIST h);
};
struct WindowTraits {
    static HWND Invalid() { return nullptr; }
    static void Close(HWND h) { ::DestroyWindow(h); }
};

using UniqueFont = UniqueHandle<HFONT, GdiTraits<HFONT>>;
using UniqueBitmap = UniqueHandle<HBITMAP, GdiTraits<HBITMAP>>;
using UniqueFile = UniqueHandle<HANDLE, FileTraits>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelTraits>;
using UniqueLibrary = UniqueHandle<HMODULE, LibraryTraits>;
using UniqueDc = UniqueHandle<HDC, DcTraits>;
using UniqueMemoryDc = UniqueDc;
using UniqueIcon = UniqueHandle<HICON, IconTraits>;
using UniqueWindow = UniqueHandle<HWND, WindowTraits>;

// A DC from GetDC, given back with ReleaseDC.
class WindowDc {
  public:
    explicit WindowDc(HWND wnd) : wnd_(wnd), dc_(::GetDC(wnd)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ::ReleaseDC(wnd_, dc_);
    }
    HDC get() const noexcept { return dc_; }

  private:
    HWND wnd_;
    HDC dc_;
};

// BeginPaint ... EndPaint.
class PaintDc {
  public:
    explicit PaintDc(HWND wnd) : wnd_(wnd) { dc_ = ::BeginPaint(wnd, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { ::EndPaint(wnd_, &ps_); }
    HDC get() const noexcept { return dc_; }
    const PAINTSTRUCT& paint() const noexcept { return ps_; }

  private:
    HWND wnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// An object selected into a DC for the scope; the previous one is selected back.
class SelectObjectScope {
  public:
    SelectObjectScope(HDC dc, HGDIOBJ obj) : dc_(dc), old_(::SelectObject(dc, obj)) {}
    SelectObjectScope(const SelectObjectScope&) = delete;
    SelectObjectScope& operator=(const SelectObjectScope&) = delete;
    ~SelectObjectScope() {
        if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
    }

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// The platform's wait cursor while a long action runs, however the action ends. Handlers that
// run meanwhile (the printer's spooling loop) keep it: the program's windows answer
// WM_SETCURSOR with it. Afterwards the window under the pointer chooses the cursor again, as
// after a move of the mouse; only where none of this thread's windows is there (or one holds
// the mouse captured) does the cursor from before come back.
class WaitCursor {
  public:
    WaitCursor() noexcept;
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    ~WaitCursor();
    // Whether a wait cursor is up on this thread.
    static bool Showing() noexcept;

  private:
    HCURSOR previous_;
};

// The clipboard, open for the scope. Another program (a clipboard manager, a remote-desktop
// client) may hold it open for a moment: opening waits for it up to about 100 ms, then throws,
// or, when asked to open it only if it is free, leaves it closed (Open() is then false).
class ClipboardScope {
  public:
    struct TIfFree {};
    explicit ClipboardScope(HWND owner);
    ClipboardScope(HWND owner, TIfFree) noexcept;
    ClipboardScope(const ClipboardScope&) = delete;
    ClipboardScope& operator=(const ClipboardScope&) = delete;
    ~ClipboardScope() {
        if (open_) ::CloseClipboard();
    }
    bool Open() const noexcept { return open_; }
    // The clipboard's text (code page 932), "" when it holds none.
    std::string Text() const;
    // Empties the clipboard and puts text (code page 932) on it as CF_TEXT.
    void SetText(const std::string& text);

  private:
    bool open_ = false;
};

// Whether the clipboard can be opened, waiting as ClipboardScope does; leaves it closed.
bool ClipboardFree(HWND owner);

} // namespace dodir::win
