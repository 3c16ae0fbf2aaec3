// The benchmarks' documents: Japanese and ASCII text in lines, written to files.
#pragma once
#include <windows.h>

#include <string>

#include "base/win/handles.h"

// Lines of text up to the given number of bytes, each ending in CR LF.
inline std::string MakeText(std::size_t bytes) {
    std::string text;
    for (int line = 1; text.size() < bytes; ++line)
        text += "行 " + std::to_string(line) + ": 日本語のメモと ASCII text, mixed on one line.\r\n";
    return text;
}

// ASCII lines up to the given number of bytes, each ending in CR LF.
inline std::string MakeAsciiText(std::size_t bytes) {
    std::string text;
    for (int line = 1; text.size() < bytes; ++line)
        text += "line " + std::to_string(line) + ": a memo in ASCII text, one short line after another.\r\n";
    return text;
}

// Lines of about 1 KB of ASCII words, each wrapping into many rows, up to the given number of
// bytes. Not longer: Wine's control keeps, for each row of a paragraph, glyph buffers sized for
// the rest of the paragraph at the row's split, so that its memory grows with the length of the
// paragraphs times that of the text (about 0.8 GB a megabyte of these lines, 1.7 GB of 3 KB ones).
inline std::string MakeWrappingText(std::size_t bytes) {
    std::string line;
    while (line.size() < 1000) line += "uniform words wrapping over many rows of the editor ";
    line += "\r\n";
    std::string text;
    while (text.size() < bytes) text += line;
    return text;
}

inline bool WriteAll(const std::string& path, const std::string& bytes) {
    dodir::win::UniqueFile f(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD put = 0;
    return f && ::WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
           put == bytes.size();
}

inline std::string ReadAll(const std::string& path) {
    dodir::win::UniqueFile f(
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    if (!f) return bytes;
    LARGE_INTEGER size{};
    ::GetFileSizeEx(f.get(), &size);
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    ::ReadFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    bytes.resize(got);
    return bytes;
}
