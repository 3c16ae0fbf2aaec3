// Time from starting a program to its main window being visible, for two programs started
// alternately, after one start of each that is not counted; the median of each and their
// ratio. The main window is the first visible top-level window with a caption, at least 100
// pixels wide and high, that belongs to the started process; once it is there the program is closed
// (WM_CLOSE, ended after 10 s if it is still running). Run under Wine:
// scripts/bench-startup.sh. Arguments: the program measured, the program it is compared
// with (command lines, as CreateProcess takes them), and the starts of each (default 5).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/win/handles.h"
#include "bench_clock.h"

namespace {

struct Found {
    DWORD process;
    HWND window = nullptr;
};

BOOL CALLBACK FindMainWindow(HWND wnd, LPARAM param) {
    auto& found = *reinterpret_cast<Found*>(param);
    DWORD process = 0;
    ::GetWindowThreadProcessId(wnd, &process);
    if (process != found.process || !::IsWindowVisible(wnd)) return TRUE;
    if ((::GetWindowLongA(wnd, GWL_STYLE) & WS_CAPTION) != WS_CAPTION) return TRUE;
    // A program's hidden owner window may be shown, at no size, to carry its taskbar entry.
    RECT r{};
    ::GetWindowRect(wnd, &r);
    if (r.right - r.left < 100 || r.bottom - r.top < 100) return TRUE;
    found.window = wnd;
    return FALSE;
}

struct Start {
    double seconds = -1; // -1: no main window within the time allowed
    std::string windowClass;
};

Start StartAndWait(const std::string& commandLine) {
    std::string line = commandLine;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    Start start;
    const double a = Now();
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return start;
    const dodir::win::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    Found found{pi.dwProcessId};
    while (Now() - a < 60) {
        ::EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&found));
        if (found.window) break;
        if (::WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) break;
    }
    if (found.window) {
        start.seconds = Now() - a;
        char name[64]{};
        ::GetClassNameA(found.window, name, sizeof name);
        start.windowClass = name;
        ::PostMessageA(found.window, WM_CLOSE, 0, 0);
    }
    if (::WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
        ::TerminateProcess(pi.hProcess, 1);
        ::WaitForSingleObject(pi.hProcess, 10000);
    }
    return start;
}

double Median(std::vector<double> t) {
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_bench PROGRAM OTHER-PROGRAM [STARTS]\n");
        return 2;
    }
    const std::string programs[2] = {argv[1], argv[2]};
    const int starts = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    std::vector<double> seconds[2];
    std::string classes[2];
    for (int run = -1; run < starts; ++run) {
        for (int k = 0; k < 2; ++k) {
            const Start s = StartAndWait(programs[k]);
            if (s.seconds < 0) {
                std::fprintf(stderr, "%s: no main window\n", programs[k].c_str());
                return 1;
            }
            if (run < 0) continue; // the first start of each fills the caches
            seconds[k].push_back(s.seconds);
            classes[k] = s.windowClass;
        }
    }
    std::printf("%-46s %10s\n", "start to visible main window", "median s");
    for (int k = 0; k < 2; ++k) {
        std::printf("%-46s %10.3f  (", (programs[k] + " [" + classes[k] + "]").c_str(), Median(seconds[k]));
        for (double t : seconds[k]) std::printf(" %.3f", t);
        std::printf(" )\n");
    }
    std::printf("%-46s %10.2f\n", "ratio", Median(seconds[0]) / Median(seconds[1]));
    return 0;
}
