#include "Process.h"

#include <QProcess>
#include <QStringList>

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

extern char** environ;

namespace kfm::shell {
namespace {

std::mutex& handlerMutex() {
    static std::mutex mutex;
    return mutex;
}
MessageBoxHandler& handler() {
    static MessageBoxHandler h;
    return h;
}

} // namespace

bool startDetached(const std::string& program, const std::vector<std::string>& args) {
    if (program.empty())
        return false;
    QStringList arguments;
    for (const std::string& arg : args)
        arguments << QString::fromStdString(arg);
    return QProcess::startDetached(QString::fromStdString(program), arguments);
}

int runAndWait(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> argv_storage;
    argv_storage.push_back(program);
    argv_storage.insert(argv_storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argv_storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    // Only an interrupted wait is repeated; any other failure (the child was reaped elsewhere,
    // for instance when SIGCHLD is ignored) leaves its exit code unknown.
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return -1;
}

std::vector<std::string> splitCommandLine(const std::string& commandLine) {
    std::vector<std::string> parts;
    std::string current;
    bool quoted = false;
    bool any = false;
    for (const char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (c == ' ' && !quoted) {
            if (any)
                parts.push_back(current);
            current.clear();
            any = false;
        } else {
            current.push_back(c);
            any = true;
        }
    }
    if (any)
        parts.push_back(current);
    return parts;
}

void setMessageBoxHandler(MessageBoxHandler h) {
    std::lock_guard lock(handlerMutex());
    handler() = std::move(h);
}

} // namespace kfm::shell

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT flags) {
    kfm::shell::MessageBoxHandler h;
    {
        std::lock_guard lock(kfm::shell::handlerMutex());
        h = kfm::shell::handler();
    }
    const std::string t = text ? text : "";
    const std::string c = caption ? caption : "";
    if (h)
        return h(owner, t, c, flags);
    std::fprintf(stderr, "%s%s%s\n", c.c_str(), c.empty() ? "" : ": ", t.c_str());
    std::fflush(stderr);
    return IDOK;
}

void ExitProcess(UINT code) {
    std::fflush(nullptr);
    std::_Exit(static_cast<int>(code));
}
