// Fills a bare rich edit control with text, as the control reads a plain text file.
#pragma once
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstddef>
#include <string>

inline void StreamInText(HWND wnd, const std::string& text) {
    struct Source {
        const std::string* text;
        std::size_t at = 0;
    } source{&text};
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&source), 0,
                  [](DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) {
                      auto& in = *reinterpret_cast<Source*>(cookie);
                      const std::size_t n = std::min(static_cast<std::size_t>(cb), in.text->size() - in.at);
                      std::copy_n(in.text->data() + in.at, n, buf);
                      in.at += n;
                      *pcb = static_cast<LONG>(n);
                      return DWORD{0};
                  }};
    ::SendMessageA(wnd, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&es));
}
