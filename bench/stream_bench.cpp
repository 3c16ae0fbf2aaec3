// Time of LoadDocument and SaveDocument on 2 MB and 8 MB documents, plain text
// and rich text, each against the bare control streaming the same file in the same run
// (EM_STREAMIN / EM_STREAMOUT with a callback that only reads or writes the file), and of
// opening over a loaded document and New on it against an open into an empty editor. Ratios
// above 1 mean the program is slower than what it is compared with. Run under Wine:
// scripts/bench.sh. Arguments: repetitions for 2 MB and for 8 MB (default 3 1); the median
// is reported. Further arguments replace the two sizes by sizes in kilobytes, each measured
// with the first repetition count.
//
// Each open is followed by where its time went: the pieces the control asked for and what it
// got, the time spent getting them (for the program: the file's reads and the load
// conversion; for the bare control: the reads) and so the time the control itself took, and
// the conversion of the same bytes alone, from memory. Each save is followed by the time of
// SaveDocument's steps taken one by one: creating the replacement file, streaming, writing it
// through to the disk, the replace, and what follows it (the backup's removal).
//
// Besides the plain text (Japanese lines) and its rich text, each size is opened as ASCII
// lines and as lines of about 1 KB that wrap into many rows (opens only). The opens end with
// one line per kind of document, "ratio open <kind>, <size>: <ratio>" (the program's open
// against the bare control's).
//
// DODIR_STREAM_ONLY (words: open, over, new, save, plain, rich, ascii, wrapping) runs only the
// operations and the kinds of document named; DODIR_BENCH_DETAIL adds the bare control fed
// pieces of half the size it asks for.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/win/handles.h"
#include "base/win/replacement_file.h"
#include "document/document_io.h"
#include "document/load_conversion.h"
#include "editor/rich_edit.h"
#include "bench_clock.h"
#include "bench_text.h"

namespace {

using dodir::LoadDocument;
using dodir::SaveDocument;
using dodir::win::UniqueFile;

double MedianSeconds(int repetitions, const std::function<void()>& prepare,
                     const std::function<void()>& work) {
    std::vector<double> t;
    for (int i = 0; i < repetitions; ++i) {
        prepare();
        const double a = Now();
        work();
        t.push_back(Now() - a);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// What the stream-in requests of an open did: the pieces the control asked for, the bytes it
// offered and got, and the time spent getting them.
struct TPieceStats {
    long long pieces = 0;
    long long offered = 0;
    long long handed = 0;
    double sourceSeconds = 0;
    double totalSeconds = 0;

    void Add(std::size_t offer, std::size_t got, double seconds) {
        ++pieces;
        offered += static_cast<long long>(offer);
        handed += static_cast<long long>(got);
        sourceSeconds += seconds;
    }
};

struct BareIn {
    HANDLE file;
    TPieceStats* stats;
    bool halfPieces; // reads half of what the control offers
};

DWORD CALLBACK BareRead(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) {
    auto& in = *reinterpret_cast<BareIn*>(cookie);
    const double a = Now();
    const DWORD want = static_cast<DWORD>(in.halfPieces && cb > 1 ? cb / 2 : cb);
    DWORD got = 0;
    const BOOL ok = ::ReadFile(in.file, buf, want, &got, nullptr);
    *pcb = static_cast<LONG>(got);
    if (in.stats) in.stats->Add(static_cast<std::size_t>(cb), got, Now() - a);
    return ok ? 0 : 1;
}

DWORD CALLBACK BareWrite(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) {
    DWORD put = 0;
    const BOOL ok = ::WriteFile(reinterpret_cast<HANDLE>(cookie), buf, static_cast<DWORD>(cb), &put, nullptr);
    *pcb = static_cast<LONG>(put);
    return ok ? 0 : 2;
}

bool BareStreamIn(HWND wnd, const std::string& path, WPARAM format, TPieceStats* stats = nullptr,
                  bool halfPieces = false) {
    UniqueFile f(
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) return false;
    BareIn in{f.get(), stats, halfPieces};
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&in), 0, &BareRead};
    ::SendMessageA(wnd, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&es));
    return es.dwError == 0;
}

bool BareStreamOut(HWND wnd, const std::string& path) {
    UniqueFile f(
        ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!f) return false;
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(f.get()), 0, &BareWrite};
    ::SendMessageA(wnd, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&es));
    return es.dwError == 0;
}

// The document's source as LoadDocument makes it, timed piece by piece.
class TTimedSource final : public dodir::TContentSource {
  public:
    TTimedSource(dodir::TContentSource& inner, TPieceStats& stats) : inner_(inner), stats_(stats) {}

    bool Start(dodir::TContentFormat format) override { return inner_.Start(format); }
    std::size_t SizeHint() const override { return inner_.SizeHint(); }

    std::size_t NextPiece(char* buf, std::size_t size) override {
        const double a = Now();
        std::size_t n = 0;
        try {
            n = inner_.NextPiece(buf, size);
        } catch (...) {
            stats_.sourceSeconds += Now() - a;
            throw;
        }
        stats_.Add(size, n, Now() - a);
        return n;
    }

  private:
    dodir::TContentSource& inner_;
    TPieceStats& stats_;
};

// The editor, with the source of each load timed.
class TTimedHolder final : public dodir::TContentHolder {
  public:
    TTimedHolder(dodir::TRichEdit& editor, TPieceStats& stats) : editor_(editor), stats_(stats) {}

    bool ReplaceContent(dodir::TContentSource& source) override {
        TTimedSource timed(source, stats_);
        return editor_.ReplaceContent(timed);
    }
    bool WriteContent(dodir::TContentSink& sink) override { return editor_.WriteContent(sink); }

  private:
    dodir::TRichEdit& editor_;
    TPieceStats& stats_;
};

// The load conversion of a file's bytes, read from memory, in pieces of the given capacity.
double ConversionSeconds(const std::string& bytes, bool richText, std::size_t capacity) {
    std::size_t at = 0;
    dodir::TConversion conversion(
        [&](char* buf, std::size_t size) {
            const std::size_t n = std::min(size, bytes.size() - at);
            std::memcpy(buf, bytes.data() + at, n);
            at += n;
            return n;
        },
        richText);
    std::vector<char> piece(capacity);
    const double a = Now();
    while (conversion.NextPiece(piece.data(), piece.size()) != 0) {
    }
    return Now() - a;
}

class TFileSink final : public dodir::TContentSink {
  public:
    explicit TFileSink(HANDLE file) : file_(file) {}
    void Write(const char* data, std::size_t size) override {
        DWORD put = 0;
        if (!::WriteFile(file_, data, static_cast<DWORD>(size), &put, nullptr) || put != size)
            throw std::runtime_error("write failed");
    }

  private:
    HANDLE file_;
};

// The replace step, timed.
double g_replaceSeconds = 0;
BOOL TimedReplace(const wchar_t* target, const wchar_t* replacement, const wchar_t* backup) {
    const double a = Now();
    const BOOL ok = dodir::win::TReplacementFile::kPlatformSteps.replace(target, replacement, backup);
    const DWORD error = ::GetLastError();
    g_replaceSeconds += Now() - a;
    ::SetLastError(error);
    return ok;
}

// SaveDocument's steps over an existing target, timed one by one.
struct TSaveSplit {
    double open = 0;    // the replacement file created beside the target
    double stream = 0;  // EM_STREAMOUT into it
    double flush = 0;   // written through to the disk and closed
    double replace = 0; // ReplaceFile
    double finish = 0;  // the kept attributes and the backup's removal
};

TSaveSplit SplitSave(dodir::TRichEdit& editor, const std::string& path) {
    using dodir::win::TReplacementFile;
    const TReplacementFile::Steps timed{&TimedReplace, TReplacementFile::kPlatformSteps.move,
                                        TReplacementFile::kPlatformSteps.create};
    TReplacementFile::SetSteps(&timed);
    g_replaceSeconds = 0;
    TSaveSplit split;
    bool ok = false;
    {
        const double a = Now();
        TReplacementFile replacement;
        ok = replacement.Open(path) == 0;
        const double b = Now();
        if (ok) {
            TFileSink sink(replacement.Handle());
            ok = editor.WriteContent(sink);
        }
        const double c = Now();
        ok = ok && replacement.Flush() == 0;
        const double d = Now();
        ok = ok && replacement.Commit() == 0;
        const double e = Now();
        split = {b - a, c - b, d - c, g_replaceSeconds, e - d - g_replaceSeconds};
    }
    TReplacementFile::SetSteps(nullptr);
    if (!ok) throw std::runtime_error("the timed save failed");
    return split;
}

// Where an open's time went, per open.
void BreakDown(const TPieceStats& ours, const TPieceStats& bare, int reps, const std::string& path,
               bool richText) {
    auto row = [&](const char* what, double o, double b, const char* format) {
        std::printf("  %-34s", what);
        std::printf(format, o);
        std::printf(format, b);
        std::printf("\n");
    };
    auto perPiece = [](long long bytes, long long pieces) {
        return pieces > 0 ? static_cast<double>(bytes) / static_cast<double>(pieces) : 0.0;
    };
    const double n = reps;
    std::printf("  %-34s%10s%10s\n", "where the time went, per open", "dodir", "bare");
    row("pieces", static_cast<double>(ours.pieces) / n, static_cast<double>(bare.pieces) / n, "%10.0f");
    row("bytes offered per piece", perPiece(ours.offered, ours.pieces), perPiece(bare.offered, bare.pieces),
        "%10.0f");
    row("bytes handed over per piece", perPiece(ours.handed, ours.pieces), perPiece(bare.handed, bare.pieces),
        "%10.0f");
    row("getting the pieces s", ours.sourceSeconds / n, bare.sourceSeconds / n, "%10.3f");
    row("the control s", (ours.totalSeconds - ours.sourceSeconds) / n,
        (bare.totalSeconds - bare.sourceSeconds) / n, "%10.3f");
    const auto capacity = static_cast<std::size_t>(std::max(1.0, perPiece(ours.offered, ours.pieces)));
    std::printf("  %-34s%10.3f\n", "the load conversion alone, memory s",
                ConversionSeconds(ReadAll(path), richText, capacity));
    std::fflush(stdout);
}

// Whether DODIR_STREAM_ONLY lets a row run: its operation and its kind of document (the first
// word of "plain text", "rich text") are named, or no word of their group is.
bool Runs(const char* operation, const std::string& kindName) {
    const std::string kind = kindName.substr(0, kindName.find(' '));
    const char* only = std::getenv("DODIR_STREAM_ONLY");
    if (!only) return true;
    const std::string words = std::string(" ") + only + " ";
    auto named = [&](const char* w) { return words.find(std::string(" ") + w + " ") != std::string::npos; };
    auto group = [&](std::initializer_list<const char*> all, const char* w) {
        return named(w) || std::none_of(all.begin(), all.end(), named);
    };
    return group({"open", "over", "new", "save"}, operation) &&
           group({"plain", "rich", "ascii", "wrapping"}, kind.c_str());
}

} // namespace

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    const int reps2 = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const int reps8 = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;

    dodir::win::UniqueWindow host(::CreateWindowExA(0, "STATIC", "stream bench", WS_POPUP | WS_VISIBLE, 0, 0,
                                                    620, 420, nullptr, nullptr, ::GetModuleHandleA(nullptr),
                                                    nullptr));
    dodir::TRichEditSettings settings;
    settings.bounds = RECT{0, 0, 600, 400};
    settings.verticalScrollBar = true;
    // Emptying a control that holds a large document takes the platform much longer than
    // filling it, so each open starts with a new control instead.
    std::unique_ptr<dodir::TRichEdit> editor;
    HWND wnd = nullptr;
    auto fresh = [&] {
        editor.reset();
        editor = std::make_unique<dodir::TRichEdit>(host.get(), settings);
        wnd = editor->Handle();
        ::SendMessageA(wnd, EM_EXLIMITTEXT, 0, dodir::TRichEdit::kUnlimitedText);
    };

    char temp[MAX_PATH]{};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string dir =
        std::string(temp) + "dodir_stream_bench_" + std::to_string(::GetCurrentProcessId()) + "\\";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    std::vector<std::string> made;

    std::printf("%-28s %10s %10s %8s\n", "operation", "dodir s", "bare s", "ratio");
    std::vector<std::size_t> kilobytes{2048, 8192};
    if (argc > 3) {
        kilobytes.clear();
        for (int i = 3; i < argc; ++i)
            kilobytes.push_back(static_cast<std::size_t>(std::max(1, std::atoi(argv[i]))));
    }
    for (const std::size_t kb : kilobytes) {
        const int reps = kb == 8192 && argc <= 3 ? reps8 : reps2;
        const std::string name =
            kb % 1024 == 0 ? std::to_string(kb / 1024) + "MB" : std::to_string(kb) + "KB";
        const std::string sizeName =
            kb % 1024 == 0 ? std::to_string(kb / 1024) + " MB" : std::to_string(kb) + " KB";
        const std::string txt = dir + name + ".txt";
        const std::string rtf = dir + name + ".rtf";
        const std::string ascii = dir + name + "-ascii.txt";
        const std::string wrapping = dir + name + "-wrapping.txt";
        const std::string out = dir + name + "-out.rtf";
        const std::string bareOut = dir + name + "-bare.rtf";
        made.insert(made.end(), {txt, rtf, ascii, wrapping, out, bareOut});
        if (!WriteAll(txt, MakeText(kb * 1024)) || !WriteAll(ascii, MakeAsciiText(kb * 1024)) ||
            !WriteAll(wrapping, MakeWrappingText(kb * 1024)))
            return 1;
        // The rich-text file: the same text, as the control writes it (when it is read).
        const bool rich =
            Runs("open", "rich") || Runs("over", "rich") || Runs("new", "rich") || Runs("save", "rich");
        fresh();
        if (rich && (!BareStreamIn(wnd, txt, SF_TEXT) || !BareStreamOut(wnd, rtf))) return 1;

        struct Case {
            const char* kind;
            const char* ratioName; // the kind in the ratio lines
            const std::string& path;
            WPARAM format;
            bool openOnly;
        };
        // The open-only kinds first, before the other kinds bring and drop their documents.
        const Case cases[] = {{"ascii text", "ASCII lines", ascii, SF_TEXT, true},
                              {"wrapping text", "wrapping lines", wrapping, SF_TEXT, true},
                              {"plain text", "Japanese lines", txt, SF_TEXT, false},
                              {"rich text", "rich text", rtf, SF_RTF, false}};
        std::vector<std::pair<const char*, double>> openRatios, secondRatios;
        for (const Case& c : cases) {
            auto report = [&](const char* what, double ours, double bare) {
                std::printf("%-28s %10.3f %10.3f %8.2f\n",
                            (std::string(what) + " " + name + " " + c.kind).c_str(), ours, bare, ours / bare);
                std::fflush(stdout);
            };
            const bool open = Runs("open", c.kind), over = !c.openOnly && Runs("over", c.kind),
                       clear = !c.openOnly && Runs("new", c.kind);
            if (c.openOnly && !open) continue;
            double ourOpen = 0;
            if (open || over || clear) {
                TPieceStats bareStats, ourStats;
                const double bareOpen = MedianSeconds(reps, fresh, [&] {
                    const double a = Now();
                    BareStreamIn(wnd, c.path, c.format, &bareStats);
                    bareStats.totalSeconds += Now() - a;
                });
                ourOpen = MedianSeconds(reps, fresh, [&] {
                    TTimedHolder timed(*editor, ourStats);
                    const double a = Now();
                    LoadDocument(timed, c.path);
                    ourStats.totalSeconds += Now() - a;
                });
                report("open", ourOpen, bareOpen);
                if (open) openRatios.emplace_back(c.ratioName, ourOpen / bareOpen);
                BreakDown(ourStats, bareStats, reps, c.path, c.format == SF_RTF);
                if (std::getenv("DODIR_BENCH_DETAIL")) {
                    const double half = MedianSeconds(
                        reps, fresh, [&] { BareStreamIn(wnd, c.path, c.format, nullptr, true); });
                    report("bare open, half pieces", half, bareOpen);
                }
            }

            // Opening over a document of the same size and New on it, each against an open
            // into an empty editor: the platform's own emptying of a large document grows
            // with the square of its length, the program's must not.
            auto loaded = [&] {
                fresh();
                LoadDocument(*editor, c.path);
            };
            if (over) {
                const double second = MedianSeconds(reps, loaded, [&] { LoadDocument(*editor, c.path); });
                report("open over loaded", second, ourOpen);
                secondRatios.emplace_back(c.ratioName, second / ourOpen);
            }
            if (clear)
                report("new on loaded", MedianSeconds(reps, loaded, [&] { editor->Lines.ClearAll(); }),
                       ourOpen);
            if (c.openOnly || !Runs("save", c.kind)) continue;
            loaded();

            const double bareSave = MedianSeconds(
                reps, [] {}, [&] { BareStreamOut(editor->Handle(), bareOut); });
            const double ourSave = MedianSeconds(
                reps, [] {}, [&] { SaveDocument(*editor, out); });
            report("save", ourSave, bareSave);
            std::vector<TSaveSplit> splits;
            for (int i = 0; i < reps; ++i) splits.push_back(SplitSave(*editor, out));
            auto median = [&](double TSaveSplit::*step) {
                std::vector<double> t;
                for (const auto& split : splits) t.push_back(split.*step);
                std::sort(t.begin(), t.end());
                return t[t.size() / 2];
            };
            std::printf("  save's steps, s: create %.3f, stream %.3f, flush %.3f, replace %.3f, "
                        "backup removal %.3f\n",
                        median(&TSaveSplit::open), median(&TSaveSplit::stream), median(&TSaveSplit::flush),
                        median(&TSaveSplit::replace), median(&TSaveSplit::finish));
            std::fflush(stdout);
        }
        for (const auto& [kind, ratio] : openRatios)
            std::printf("ratio open %s, %s: %.2f\n", kind, sizeName.c_str(), ratio);
        // A second document opened while the first is shown, against the first.
        for (const auto& [kind, ratio] : secondRatios)
            std::printf("ratio second open / first open, %s, %s: %.2f\n", kind, sizeName.c_str(), ratio);
        std::fflush(stdout);
    }
    for (const auto& p : made) ::DeleteFileA(p.c_str());
    ::RemoveDirectoryA(dir.c_str());
    return 0;
}
