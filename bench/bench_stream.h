// Fills a bare rich edit control with text, as the control reads a plain text file; and the
// same text as the program's editor reads it.
#pragma once
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstddef>
#include <string>

#include "base/content_stream.h"

// A text read as a plain text file is: refused as rich text, given whole as plain text.
class PlainTextSource : public dodir::TContentSource {
  public:
    explicit PlainTextSource(const std::string& text) : text_(text) {}
    bool Start(dodir::TContentFormat format) override {
        rich_ = format == dodir::TContentFormat::RichText;
        at_ = 0;
        return true;
    }
    std::size_t NextPiece(char* buf, std::size_t size) override {
        if (rich_) throw dodir::TContentRefused();
        const std::size_t n = text_.copy(buf, size, at_);
        at_ += n;
        return n;
    }

  private:
    const std::string& text_;
    std::size_t at_ = 0;
    bool rich_ = false;
};

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
