#include "app/CrashReport.h"

#define UNW_LOCAL_ONLY
#include <fcntl.h>
#include <libunwind.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

// Everything the handler touches is prepared before a crash: no allocation happens in it.
char g_folder[4096] = {};
char g_lastReport[4200] = {};
TEmergencySaveHook g_saveHook = nullptr;
std::atomic<bool> g_enabled{true};
std::atomic<int> g_entered{0};
bool g_installed = false;
alignas(16) char g_altStack[64 * 1024];

void Put(int fd, const char* text) {
    size_t n = std::strlen(text);
    while (n > 0) {
        const ssize_t done = ::write(fd, text, n);
        if (done <= 0) {
            return;
        }
        text += done;
        n -= static_cast<size_t>(done);
    }
}

void PutNumber(int fd, unsigned long long value, int base = 10) {
    char digits[32];
    int i = 0;
    do {
        const unsigned d = static_cast<unsigned>(value % static_cast<unsigned>(base));
        digits[i++] = static_cast<char>(d < 10 ? '0' + d : 'a' + d - 10);
        value /= static_cast<unsigned>(base);
    } while (value != 0 && i < 31);
    char out[34];
    int o = 0;
    if (base == 16) {
        out[o++] = '0';
        out[o++] = 'x';
    }
    while (i > 0) {
        out[o++] = digits[--i];
    }
    out[o] = '\0';
    Put(fd, out);
}

const char* SignalName(int signal) {
    switch (signal) {
        case SIGSEGV:
            return "SIGSEGV (invalid memory access)";
        case SIGBUS:
            return "SIGBUS (bus error)";
        case SIGFPE:
            return "SIGFPE (arithmetic error)";
        case SIGILL:
            return "SIGILL (illegal instruction)";
        case SIGABRT:
            return "SIGABRT (abort or uncaught exception)";
        default:
            return "fatal signal";
    }
}

// "<folder>crash-<seconds since 1970>-<pid>.txt", built without allocating.
void ReportName(char* out, size_t size) {
    out[0] = '\0';
    std::strncat(out, g_folder, size - 1);
    char tail[64];
    char* p = tail;
    auto append = [&](unsigned long long v) {
        char d[24];
        int i = 0;
        do {
            d[i++] = static_cast<char>('0' + v % 10);
            v /= 10;
        } while (v != 0);
        while (i > 0) {
            *p++ = d[--i];
        }
    };
    std::memcpy(p, "crash-", 6);
    p += 6;
    append(static_cast<unsigned long long>(std::time(nullptr)));
    *p++ = '-';
    append(static_cast<unsigned long long>(::getpid()));
    std::memcpy(p, ".txt", 5);
    std::strncat(out, tail, size - std::strlen(out) - 1);
}

void OnFatalSignal(int signal) {
    const int entered = g_entered.fetch_add(1);
    // The emergency save comes first, once; a crash inside it goes straight to the report.
    if (entered == 0 && g_saveHook != nullptr) {
        g_saveHook();
    }
    if (entered <= 1 && g_enabled.load()) {
        char path[sizeof g_lastReport];
        ReportName(path, sizeof path);
        const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd >= 0) {
            WriteCrashReport(fd, signal);
            ::close(fd);
            std::memcpy(g_lastReport, path, sizeof path);
            Put(STDERR_FILENO, "quillomatic: crash report written to ");
            Put(STDERR_FILENO, path);
            Put(STDERR_FILENO, "\n");
        }
    }
    // End the way the signal would have ended the process.
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    ::sigaction(signal, &dfl, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signal);
    ::_exit(128 + signal);
}

void OnTerminate() {
    Put(STDERR_FILENO, "quillomatic: uncaught exception\n");
    if (std::exception_ptr e = std::current_exception()) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& ex) {
            Put(STDERR_FILENO, ex.what());
            Put(STDERR_FILENO, "\n");
        } catch (...) {
        }
    }
    std::abort();
}

}  // namespace

void WriteCrashReport(int fd, int signal) {
    Put(fd, "Quillo Software Report\n");
    Put(fd, "program: quillomatic\nsignal: ");
    PutNumber(fd, static_cast<unsigned>(signal));
    Put(fd, " ");
    Put(fd, SignalName(signal));
    Put(fd, "\nprocess: ");
    PutNumber(fd, static_cast<unsigned long long>(::getpid()));
    Put(fd, "\ntime: ");
    PutNumber(fd, static_cast<unsigned long long>(std::time(nullptr)));
    Put(fd, "\nbacktrace:\n");
    unw_context_t context;
    unw_cursor_t cursor;
    if (unw_getcontext(&context) != 0 || unw_init_local(&cursor, &context) != 0) {
        Put(fd, "  (not available)\n");
        return;
    }
    for (int depth = 0; depth < 64 && unw_step(&cursor) > 0; ++depth) {
        unw_word_t ip = 0;
        unw_word_t offset = 0;
        unw_get_reg(&cursor, UNW_REG_IP, &ip);
        char name[256];
        Put(fd, "  #");
        PutNumber(fd, static_cast<unsigned>(depth));
        Put(fd, " ");
        PutNumber(fd, ip, 16);
        if (unw_get_proc_name(&cursor, name, sizeof name, &offset) == 0) {
            Put(fd, " ");
            Put(fd, name);
            Put(fd, "+");
            PutNumber(fd, offset, 16);
        }
        Put(fd, "\n");
    }
}

void InstallCrashReporter(const std::string& reportFolder, TEmergencySaveHook saveHook) {
    g_folder[0] = '\0';
    std::strncat(g_folder, reportFolder.c_str(), sizeof g_folder - 2);
    const size_t n = std::strlen(g_folder);
    if (n > 0 && g_folder[n - 1] != '/') {
        g_folder[n] = '/';
        g_folder[n + 1] = '\0';
    }
    g_saveHook = saveHook;
    if (g_installed) {
        return;
    }
    g_installed = true;
    // A stack overflow leaves no stack for the handler: give it its own.
    stack_t stack{};
    stack.ss_sp = g_altStack;
    stack.ss_size = sizeof g_altStack;
    ::sigaltstack(&stack, nullptr);
    struct sigaction action {};
    action.sa_handler = OnFatalSignal;
    action.sa_flags = SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals) {
        ::sigaction(signal, &action, nullptr);
    }
    std::set_terminate(OnTerminate);
}

void EnableCrashReports(bool bEnable) {
    g_enabled.store(bEnable);
}

std::string LastCrashReport() {
    return g_lastReport;
}
