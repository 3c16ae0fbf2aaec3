// Working set of the program after it has started and after LoadDocument of an 8 MB plain
// text file, against a process whose only window holds a bare rich-edit control that streamed
// the same file in (EM_STREAMIN with a callback that only reads the file). Each side runs in
// a child process of its own, started from this one, so that neither sees the other's
// memory; the peak working set is shown beside it (Wine reports no private bytes). Run under Wine:
// scripts/bench.sh. Argument: the file's size in kilobytes (default 8192).
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "app/startup.h"
#include "base/win/handles.h"
#include "document/document_io.h"
#include "bench_text.h"

namespace {

using dodir::win::UniqueFile;
using dodir::win::UniqueKernelHandle;

// The process's working set and its peak so far, in kilobytes.
struct Memory {
    double workingSet = 0;
    double peak = 0;
};

Memory Measure() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                           sizeof pmc);
    return {static_cast<double>(pmc.WorkingSetSize) / 1024,
            static_cast<double>(pmc.PeakWorkingSetSize) / 1024};
}

void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

void Print(const Memory& started, const Memory& opened) {
    std::printf("%.0f %.0f %.0f %.0f\n", started.workingSet, started.peak, opened.workingSet, opened.peak);
}

// The program as it starts (as WinMain does, up to its event loop), then the document opened.
int ProgramSide(const std::string& path) {
    dodir::TProgram program;
    dodir::TApplication& application = program.Application();
    const auto form1 = program.MakeMainForm();
    application.ShowMainForm();
    while (application.ProcessMessage()) {
    }
    const Memory started = Measure();
    dodir::LoadDocument(*form1->RichEdit1, path);
    while (application.ProcessMessage()) {
    }
    Print(started, Measure());
    return 0;
}

DWORD CALLBACK ReadFileIn(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) {
    DWORD got = 0;
    const BOOL ok = ::ReadFile(reinterpret_cast<HANDLE>(cookie), buf, static_cast<DWORD>(cb), &got, nullptr);
    *pcb = static_cast<LONG>(got);
    return ok ? 0 : 1;
}

// A window with a bare control of the editor's size, then the file streamed into it.
int BareSide(const std::string& path) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    const dodir::win::UniqueLibrary library(::LoadLibraryA("RICHED32.DLL"));
    const dodir::win::UniqueWindow frame(
        ::CreateWindowExA(0, "STATIC", "bare", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 620, 440, nullptr,
                          nullptr, ::GetModuleHandleA(nullptr), nullptr));
    const dodir::win::UniqueWindow edit(::CreateWindowExA(
        WS_EX_CLIENTEDGE, "RICHEDIT", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL,
        0, 0, 600, 400, frame.get(), nullptr, ::GetModuleHandleA(nullptr), nullptr));
    if (!edit) return 1;
    ::SendMessageA(edit.get(), EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    Pump();
    const Memory started = Measure();
    UniqueFile f(
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(f.get()), 0, &ReadFileIn};
    ::SendMessageA(edit.get(), EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&es));
    Pump();
    if (es.dwError != 0) return 1;
    Print(started, Measure());
    return 0;
}

// Runs this program as a child for one side and reads what it printed.
bool RunChild(const char* side, const std::string& path, Memory& started, Memory& opened) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &sa, 0)) return false;
    const UniqueKernelHandle reader(readEnd);
    UniqueKernelHandle writer(writeEnd);
    ::SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);
    char self[MAX_PATH]{};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string line = std::string("\"") + self + "\" --side " + side + " \"" + path + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = writer.get();
    si.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        return false;
    const UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    writer.reset(); // the child's end only: the reads end with the child
    std::string output;
    char buf[256];
    DWORD got = 0;
    while (::ReadFile(reader.get(), buf, sizeof buf, &got, nullptr) && got > 0) output.append(buf, got);
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(pi.hProcess, &code);
    std::istringstream in(output);
    return code == 0 &&
           static_cast<bool>(in >> started.workingSet >> started.peak >> opened.workingSet >> opened.peak);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--side") == 0)
        return std::strcmp(argv[2], "program") == 0 ? ProgramSide(argv[3]) : BareSide(argv[3]);

    const std::size_t kilobytes = argc > 1 ? static_cast<std::size_t>(std::max(1, std::atoi(argv[1]))) : 8192;
    char temp[MAX_PATH]{};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string path =
        std::string(temp) + "dodir_memory_bench_" + std::to_string(::GetCurrentProcessId()) + ".txt";
    if (!WriteAll(path, MakeText(kilobytes * 1024))) return 1;
    Memory ours[2], bare[2];
    const bool ok = RunChild("program", path, ours[0], ours[1]) && RunChild("bare", path, bare[0], bare[1]);
    ::DeleteFileA(path.c_str());
    if (!ok) {
        std::fprintf(stderr, "a child process failed\n");
        return 1;
    }
    const std::string name =
        kilobytes % 1024 == 0 ? std::to_string(kilobytes / 1024) + " MB" : std::to_string(kilobytes) + " KB";
    std::printf("%-34s %12s %12s %8s %14s %14s\n", "working set, KB", "dodir", "bare", "ratio", "dodir peak",
                "bare peak");
    const char* what[2] = {"after start", "after opening "};
    for (int k = 0; k < 2; ++k) {
        const std::string row = k == 0 ? what[0] : what[1] + name;
        std::printf("%-34s %12.0f %12.0f %8.2f %14.0f %14.0f\n", row.c_str(), ours[k].workingSet,
                    bare[k].workingSet, ours[k].workingSet / bare[k].workingSet, ours[k].peak, bare[k].peak);
    }
    std::printf("%-34s %12.0f %12.0f %8.2f\n", "growth by the open", ours[1].workingSet - ours[0].workingSet,
                bare[1].workingSet - bare[0].workingSet,
                (ours[1].workingSet - ours[0].workingSet) / (bare[1].workingSet - bare[0].workingSet));
    return 0;
}
