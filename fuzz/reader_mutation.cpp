// reader_mutation: mutated rich text through the program's own load path (LoadDocument into
// the main window's editor: the guard, then the real rich-text reader) under Wine.
//
// A parent process makes the inputs (seeds, then mutations of them from a seed it prints) and
// hands them one after another to a child process, the same program started with --child,
// which loads each into a shown main window and answers with what happened. The parent writes
// each input to disk before the child is told to load it, and waits for the answer no longer
// than the timeout: a child that takes longer is ended and the input kept as a hang, a child
// that dies on an input is a crash, and a fresh child goes on from the next input. Findings
// land in the output folder as crash-<hash>.rtf and hang-<hash>.rtf, with findings.log; an
// input the program refused with an error other than a read error, or whose read error left
// the document changed, as error-<hash>.rtf and changed-<hash>.rtf.
//
// Usage: reader_mutation [--seconds N | --runs N] [--seed N] [--out FOLDER] [--timeout SECONDS]
//                        [--small] [--replay FILE...]
// --small seeds from the small hostile corpus; --replay loads the files given, in turn, and
// tells what each did. DODIR_READER_MUTATION_CRASH_AT=k (or _HANG_AT=k) makes the child crash
// (or hang) on input number k, to check the runner itself.
// Exits 1 when a crash or a hang was found, 2 when the run could not be made.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/win/handles.h"
#include "document/document_io.h"
#include "document/load_conversion.h"
#include "hostile/corpus.h"
#include "rtf_mutator.h"
#include "wine_support.h"

using namespace dodir;
using dodir::fuzz::TSeed;
using dodir::win::UniqueFile;
using dodir::win::UniqueKernelHandle;

namespace {

// What the child answers: ready, then one byte for each input.
constexpr char kReady = 'Y';
constexpr char kLoaded = 'L';
constexpr char kRefused = 'G';   // a read error, and the guard alone refuses the bytes
constexpr char kReadError = 'R'; // a read error the guard has no part in
constexpr char kNotKept = 'K';   // an error that left the document changed
constexpr char kOtherError = 'O';

// The exit code the parent gives a child it ends.
constexpr UINT kHangExitCode = 124;

const char kPrevious[] = "前の文書\r\nprevious document";

// ---- The child -----------------------------------------------------------------------------

// Whether the guard in front of the reader refuses the bytes, read as a load reads them.
bool GuardRefuses(const std::string& bytes) {
    std::size_t at = 0;
    TConversion conversion(
        [&](char* buf, std::size_t size) {
            const std::size_t n = std::min(size, bytes.size() - at);
            std::memcpy(buf, bytes.data() + at, n);
            at += n;
            return n;
        },
        true);
    char piece[4096];
    try {
        while (conversion.NextPiece(piece, sizeof piece) != 0) {
        }
    } catch (const TBeyondReader&) {
        return true;
    } catch (const TNotRichText&) {
    }
    return false;
}

// Loads the input into the editor, which holds kPrevious before, and empties it afterwards.
char LoadOne(TRichEdit& editor, const std::string& path) {
    testing::SetTextAndPump(editor.Handle(), kPrevious);
    char outcome = kLoaded;
    try {
        LoadDocument(editor, path);
    } catch (const EOutOfResources&) {
        outcome = GuardRefuses(testing::ReadFileBytes(path)) ? kRefused : kReadError;
    } catch (...) {
        outcome = kOtherError;
    }
    testing::Pump(); // the loaded document drawn
    if (outcome != kLoaded && editor.Text() != kPrevious) outcome = kNotKept;
    editor.Lines.ClearAll();
    testing::Pump();
    return outcome;
}

bool ReadAll(HANDLE pipe, void* data, DWORD size) {
    auto* p = static_cast<char*>(data);
    while (size > 0) {
        DWORD got = 0;
        if (!::ReadFile(pipe, p, size, &got, nullptr) || got == 0) return false;
        p += got;
        size -= got;
    }
    return true;
}

bool Send(HANDLE pipe, char c) {
    DWORD written = 0;
    return ::WriteFile(pipe, &c, 1, &written, nullptr) && written == 1;
}

// The input number a debug variable names, or none.
std::optional<std::uint64_t> NamedInput(const char* variable) {
    const char* value = std::getenv(variable);
    if (!value || !*value) return std::nullopt;
    return std::strtoull(value, nullptr, 10);
}

// Ends the process with the exception's code, before Wine would start its debugger for it
// (which ignores the error mode, and whose dialog would wait for a click).
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* exception) {
    ::TerminateProcess(::GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

int RunChild(const std::string& pipeName, const std::string& inputPath) {
    // A crash ends the process at once: no debugger, no box.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ::SetUnhandledExceptionFilter(&EndOnCrash);
    UniqueFile pipe(
        ::CreateFileA(pipeName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!pipe) return 2;
    // For checking the runner itself: a crash or a hang on the input of that number.
    const auto crashAt = NamedInput("DODIR_READER_MUTATION_CRASH_AT");
    const auto hangAt = NamedInput("DODIR_READER_MUTATION_HANG_AT");

    testing::ProgramUnderTest program;
    testing::ShownForm1 form;
    TRichEdit& editor = *form->RichEdit1;
    if (!Send(pipe.get(), kReady)) return 0;
    std::uint64_t index = 0;
    while (ReadAll(pipe.get(), &index, sizeof index)) {
        if (crashAt == index) {
            volatile std::uintptr_t address = 0;
            *reinterpret_cast<volatile int*>(address) = 1;
        }
        if (hangAt == index) ::Sleep(INFINITE);
        if (!Send(pipe.get(), LoadOne(editor, inputPath))) break;
    }
    return 0; // the parent closed the pipe: the run is over
}

// ---- The parent ----------------------------------------------------------------------------

struct TResult {
    enum TKind { Answered, Crashed, Hung } kind = Answered;
    char outcome = 0;   // Answered: the child's answer
    DWORD exitCode = 0; // Crashed: how the child ended
};

// A child process and the pipe to it.
class TChild {
  public:
    TChild(const std::string& exe, const std::string& inputPath, unsigned number) {
        const std::string name = "\\\\.\\pipe\\dodir-reader-mutation-" +
                                 std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(number);
        pipe_.reset(::CreateNamedPipeA(
            name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr));
        event_.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        if (!pipe_ || !event_) throw std::runtime_error("no pipe for the child");
        std::string command = "\"" + exe + "\" --child \"" + name + "\" \"" + inputPath + "\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                              &pi))
            throw std::runtime_error("the child did not start");
        process_.reset(pi.hProcess);
        UniqueKernelHandle thread(pi.hThread);
        try {
            Connect();
        } catch (...) {
            ::TerminateProcess(process_.get(), kHangExitCode);
            throw;
        }
    }
    TChild(const TChild&) = delete;
    TChild& operator=(const TChild&) = delete;
    // Closing the pipe tells the child to end; one that does not is ended.
    ~TChild() {
        pipe_.reset();
        if (process_ && ::WaitForSingleObject(process_.get(), 5000) != WAIT_OBJECT_0)
            ::TerminateProcess(process_.get(), kHangExitCode);
    }

    // Has the child load the input (on disk already) and waits for its answer.
    TResult Load(std::uint64_t index, DWORD timeoutMs) {
        OVERLAPPED ov = Fresh();
        DWORD n = 0;
        TResult::TKind kind = TResult::Answered;
        if (!::WriteFile(pipe_.get(), &index, sizeof index, nullptr, &ov) &&
            ::GetLastError() != ERROR_IO_PENDING)
            kind = TResult::Crashed;
        else
            kind = Await(ov, timeoutMs, n);
        return kind == TResult::Answered ? Receive(timeoutMs) : Ended(kind);
    }

  private:
    // The child connects, makes its window and says it is ready.
    void Connect() {
        constexpr DWORD kStartMs = 60000;
        OVERLAPPED ov = Fresh();
        if (!::ConnectNamedPipe(pipe_.get(), &ov)) {
            const DWORD error = ::GetLastError();
            DWORD n = 0;
            if (error == ERROR_IO_PENDING && Await(ov, kStartMs, n) != TResult::Answered)
                throw std::runtime_error("the child did not connect");
            if (error != ERROR_IO_PENDING && error != ERROR_PIPE_CONNECTED)
                throw std::runtime_error("the child's pipe did not connect");
        }
        const TResult ready = Receive(kStartMs);
        if (ready.kind != TResult::Answered || ready.outcome != kReady)
            throw std::runtime_error("the child did not get ready");
    }

    OVERLAPPED Fresh() {
        ::ResetEvent(event_.get());
        OVERLAPPED ov{};
        ov.hEvent = event_.get();
        return ov;
    }

    // Waits for an operation on the pipe: done, the child gone, or the time out. An operation
    // not done is cancelled, and waited for, before ov goes.
    TResult::TKind Await(OVERLAPPED& ov, DWORD timeoutMs, DWORD& transferred) {
        HANDLE waits[2] = {event_.get(), process_.get()};
        const DWORD waited = ::WaitForMultipleObjects(2, waits, FALSE, timeoutMs);
        if (::GetOverlappedResult(pipe_.get(), &ov, &transferred, FALSE)) return TResult::Answered;
        if (::GetLastError() == ERROR_IO_INCOMPLETE) {
            ::CancelIoEx(pipe_.get(), &ov);
            ::GetOverlappedResult(pipe_.get(), &ov, &transferred, TRUE);
        }
        return waited == WAIT_TIMEOUT ? TResult::Hung : TResult::Crashed;
    }

    TResult Receive(DWORD timeoutMs) {
        OVERLAPPED ov = Fresh();
        char answer = 0;
        DWORD n = 0;
        TResult::TKind kind = TResult::Answered;
        if (!::ReadFile(pipe_.get(), &answer, 1, nullptr, &ov) && ::GetLastError() != ERROR_IO_PENDING)
            kind = TResult::Crashed;
        else
            kind = Await(ov, timeoutMs, n);
        if (kind == TResult::Answered && n == 1) return {TResult::Answered, answer, 0};
        return Ended(kind == TResult::Answered ? TResult::Crashed : kind);
    }

    // The child hung (and is ended) or died: how it ended.
    TResult Ended(TResult::TKind kind) {
        if (kind == TResult::Hung) ::TerminateProcess(process_.get(), kHangExitCode);
        ::WaitForSingleObject(process_.get(), 10000);
        DWORD code = 0;
        ::GetExitCodeProcess(process_.get(), &code);
        return {kind, 0, code};
    }

    UniqueFile pipe_;
    UniqueKernelHandle event_;
    UniqueKernelHandle process_;
};

struct TOptions {
    double seconds = 60;
    std::uint64_t runs = 0; // 0: run for the seconds
    std::uint64_t seed = 0;
    bool seedGiven = false;
    std::string out = "build\\fuzz\\reader";
    // The hostile-file test's allowance for a file of up to a megabyte: inputs stay far below.
    DWORD timeoutMs = 10000;
    bool small = false;
    std::vector<std::string> replay;
};

TOptions ParseOptions(int argc, char** argv) {
    TOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw std::invalid_argument(a + " needs a value");
            return argv[++i];
        };
        if (a == "--seconds") {
            o.seconds = std::stod(value());
        } else if (a == "--runs") {
            o.runs = std::stoull(value());
        } else if (a == "--seed") {
            o.seed = std::stoull(value());
            o.seedGiven = true;
        } else if (a == "--out") {
            o.out = value();
        } else if (a == "--timeout") {
            o.timeoutMs = static_cast<DWORD>(std::stod(value()) * 1000);
        } else if (a == "--small") {
            o.small = true;
        } else if (a == "--replay") {
            while (i + 1 < argc) o.replay.push_back(argv[++i]);
        } else {
            throw std::invalid_argument(
                "unknown option " + a +
                "; usage: reader_mutation [--seconds N | --runs N] [--seed N] [--out FOLDER] "
                "[--timeout SECONDS] [--small] [--replay FILE...]");
        }
    }
    for (char& c : o.out)
        if (c == '/') c = '\\';
    return o;
}

void MakeFolders(const std::string& path) {
    for (std::size_t at = path.find('\\', 1);; at = path.find('\\', at + 1)) {
        ::CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
        if (at == std::string::npos) break;
    }
}

std::string ContentHash(const std::string& bytes) {
    std::uint64_t h = 14695981039346656037ull; // FNV-1a
    for (const unsigned char b : bytes) h = (h ^ b) * 1099511628211ull;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

// A document the program itself wrote: Japanese text, two fonts, a colour.
std::string SavedDocument(const std::string& folder) {
    testing::HostedEditor host;
    testing::SetTextAndPump(host->Handle(), "日本語の文章です。\r\n二行目は赤い字\r\nEnglish too\ttab");
    ::SendMessageA(host->Handle(), EM_SETSEL, 10, 30);
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR | CFM_FACE | CFM_CHARSET | CFM_BOLD;
    format.dwEffects = CFE_BOLD;
    format.crTextColor = RGB(255, 0, 0);
    format.bCharSet = ANSI_CHARSET;
    std::strcpy(format.szFaceName, "Times New Roman");
    ::SendMessageA(host->Handle(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    const std::string path = folder + "saved.rtf";
    SaveDocument(*host, path);
    return testing::ReadFileBytes(path);
}

struct TCounts {
    std::uint64_t runs = 0, loaded = 0, refused = 0, readErrors = 0, notKept = 0, otherErrors = 0,
                  crashes = 0, hangs = 0, children = 0;
};

std::string CountsLine(const TCounts& c, double seconds) {
    char line[400];
    std::snprintf(
        line, sizeof line,
        "%llu runs in %.0f s (%.1f a second, %llu children): loaded %llu, refused by the guard %llu, "
        "other read errors %llu, errors that changed the document %llu, other errors %llu, "
        "crashes %llu, hangs %llu",
        static_cast<unsigned long long>(c.runs), seconds, seconds > 0 ? c.runs / seconds : 0.0,
        static_cast<unsigned long long>(c.children), static_cast<unsigned long long>(c.loaded),
        static_cast<unsigned long long>(c.refused), static_cast<unsigned long long>(c.readErrors),
        static_cast<unsigned long long>(c.notKept), static_cast<unsigned long long>(c.otherErrors),
        static_cast<unsigned long long>(c.crashes), static_cast<unsigned long long>(c.hangs));
    return line;
}

const char* OutcomeName(char outcome) {
    switch (outcome) {
    case kLoaded:
        return "loaded";
    case kRefused:
        return "refused by the guard";
    case kReadError:
        return "read error";
    case kNotKept:
        return "error, document changed";
    default:
        return "other error";
    }
}

int RunParent(const TOptions& options) {
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    std::uint64_t seed = options.seed;
    if (!options.seedGiven)
        seed = (static_cast<std::uint64_t>(::GetCurrentProcessId()) << 32) ^ ::GetTickCount64() ^
               static_cast<std::uint64_t>(std::time(nullptr));
    char exe[MAX_PATH]{};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    MakeFolders(options.out);
    const std::string out = options.out + "\\";
    testing::TempFolder temp;
    if (temp.Path().empty()) throw std::runtime_error("no temporary folder");
    const std::string inputPath = temp.Path() + "input.rtf";

    // The inputs: the files to replay, or the seeds as they are, then mutations of them.
    std::vector<TSeed> seeds;
    if (options.replay.empty()) {
        testing::ProgramUnderTest program;
        for (auto& file : testing::MakeCorpus(SavedDocument(temp.Path()), options.small))
            if (file.bytes.size() <= fuzz::kMaxInput) seeds.push_back({file.name, std::move(file.bytes)});
        for (auto& seed : fuzz::HandWrittenSeeds()) seeds.push_back(std::move(seed));
        std::printf("reader_mutation: seed %llu (--seed %llu repeats the run), %zu seeds, timeout %.1f s\n",
                    static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed),
                    seeds.size(), options.timeoutMs / 1000.0);
    } else {
        for (const auto& path : options.replay) seeds.push_back({path, testing::ReadFileBytes(path)});
    }
    const fuzz::TMutator mutator(seeds);
    std::fflush(stdout);

    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> log(std::fopen((out + "findings.log").c_str(), "a"),
                                                              &std::fclose);
    if (!log) throw std::runtime_error("the output folder " + options.out + " cannot be written");
    std::set<std::string> found;
    TCounts counts;
    std::optional<TChild> child;
    const ULONGLONG start = ::GetTickCount64();
    const auto elapsed = [&] { return (::GetTickCount64() - start) / 1000.0; };
    double lastReport = 0;
    for (std::uint64_t k = 0;; ++k) {
        if (!options.replay.empty() ? k >= seeds.size()
                                    : (options.runs ? k >= options.runs : elapsed() >= options.seconds))
            break;
        std::string what = k < seeds.size() ? "seed " + seeds[k].name : "";
        const std::string input = k < seeds.size() ? seeds[k].bytes : mutator.Make(seed, k, &what);
        if (!testing::WriteFileBytes(inputPath, input))
            throw std::runtime_error("the input cannot be written");
        if (!child) child.emplace(exe, inputPath, static_cast<unsigned>(counts.children++));
        const ULONGLONG began = ::GetTickCount64();
        const TResult result = child->Load(k, options.timeoutMs);
        const ULONGLONG ms = ::GetTickCount64() - began;
        ++counts.runs;
        std::string line;
        if (result.kind == TResult::Answered) {
            switch (result.outcome) {
            case kLoaded:
                ++counts.loaded;
                break;
            case kRefused:
                ++counts.refused;
                break;
            case kReadError:
                ++counts.readErrors;
                break;
            case kNotKept:
                ++counts.notKept;
                break;
            default:
                ++counts.otherErrors;
                break;
            }
            line = OutcomeName(result.outcome);
            // Not the reader's failures but the program's: kept, without failing the run.
            if (result.outcome == kOtherError || result.outcome == kNotKept) {
                const std::string name = std::string(result.outcome == kOtherError ? "error-" : "changed-") +
                                         ContentHash(input) + ".rtf";
                if (found.insert(name).second) testing::WriteFileBytes(out + name, input);
                line += ": " + out + name;
                std::fprintf(log.get(), "%s; input %llu of seed %llu, %s\n", line.c_str(),
                             static_cast<unsigned long long>(k), static_cast<unsigned long long>(seed),
                             what.c_str());
                std::fflush(log.get());
            }
        } else {
            child.reset();
            const bool crash = result.kind == TResult::Crashed;
            ++(crash ? counts.crashes : counts.hangs);
            const std::string name = std::string(crash ? "crash-" : "hang-") + ContentHash(input) + ".rtf";
            if (found.insert(name).second) testing::WriteFileBytes(out + name, input);
            char code[40];
            std::snprintf(code, sizeof code, "exit code 0x%08lx",
                          static_cast<unsigned long>(result.exitCode));
            line = std::string(crash ? "CRASH " : "HANG ") + (crash ? code : "ended") + ", " +
                   std::to_string(input.size()) + " bytes: " + out + name;
            std::fprintf(log.get(), "%s; input %llu of seed %llu, %s\n", line.c_str(),
                         static_cast<unsigned long long>(k), static_cast<unsigned long long>(seed),
                         what.c_str());
            std::fflush(log.get());
        }
        // A replay tells what each file did; a run, its findings.
        if (!options.replay.empty())
            std::printf("%s: %s (%llu ms)\n", seeds[k].name.c_str(), line.c_str(),
                        static_cast<unsigned long long>(ms));
        else if (result.kind != TResult::Answered)
            std::printf("%s (input %llu)\n", line.c_str(), static_cast<unsigned long long>(k));
        if (elapsed() - lastReport >= 10) {
            lastReport = elapsed();
            std::printf("reader_mutation: %s\n", CountsLine(counts, lastReport).c_str());
        }
        std::fflush(stdout);
    }
    child.reset();
    std::printf("reader_mutation: done: %s\n", CountsLine(counts, elapsed()).c_str());
    if (!found.empty()) std::printf("reader_mutation: findings in %s (findings.log)\n", options.out.c_str());
    if (options.replay.empty())
        std::printf("reader_mutation: seed %llu\n", static_cast<unsigned long long>(seed));
    return counts.crashes + counts.hangs > 0 ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return RunChild(argv[2], argv[3]);
        return RunParent(ParseOptions(argc, argv));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "reader_mutation: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "reader_mutation: an unknown error\n");
    }
    return 2;
}
