#include "ProcessRunner.h"

#include <stdexcept>

#ifdef _WIN32
#include "Utf16.h"
#include "WindowsApi.h"

#include <chrono>
#include <string>
#include <thread>
#else
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace vornak::test {

#ifdef _WIN32

namespace {

std::wstring wide(const std::string& utf8) {
    const std::u16string text = utf8ToUtf16(utf8);
    return std::wstring(text.begin(), text.end());
}

// One argument quoted the way the C runtime splits a command line again.
void appendQuoted(std::wstring& line, const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += arg;
        return;
    }
    line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            line.append(backslashes * 2 + 1, L'\\');
        } else {
            line.append(backslashes, L'\\');
        }
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

void readAll(HANDLE pipe, std::string& sink) {
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        sink.append(buffer, got);
    }
}

} // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options) {
    SECURITY_ATTRIBUTES inherit{static_cast<DWORD>(sizeof(SECURITY_ATTRIBUTES)), nullptr, TRUE};
    HANDLE outRead = nullptr;
    HANDLE outWrite = nullptr;
    HANDLE errRead = nullptr;
    HANDLE errWrite = nullptr;
    if (!CreatePipe(&errRead, &errWrite, &inherit, 0)) {
        throw std::runtime_error("pipe failed");
    }
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    if (options.stdoutToFile) {
        outWrite = CreateFileW(wide(*options.stdoutToFile).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (outWrite == INVALID_HANDLE_VALUE) {
            throw std::runtime_error("cannot open " + *options.stdoutToFile);
        }
    } else {
        if (!CreatePipe(&outRead, &outWrite, &inherit, 0)) {
            throw std::runtime_error("pipe failed");
        }
        SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    }

    std::wstring line;
    appendQuoted(line, wide(program));
    for (const std::string& arg : args) {
        line += L' ';
        appendQuoted(line, wide(arg));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    PROCESS_INFORMATION process{};
    const std::wstring folder = wide(options.workingDirectory);
    // Under wine on a busy machine a start now and then fails for no reason of the program's own:
    // it is tried a few times before the test fails.
    BOOL started = FALSE;
    DWORD error = 0;
    for (int attempt = 0; attempt < 4 && !started; ++attempt) {
        if (attempt > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }
        started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                 folder.empty() ? nullptr : folder.c_str(), &startup, &process);
        error = started ? 0 : GetLastError();
    }
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (!started) {
        if (outRead != nullptr) {
            CloseHandle(outRead);
        }
        CloseHandle(errRead);
        throw std::runtime_error("cannot start " + program + " (system error " + std::to_string(error) + ")");
    }
    ProcessResult result;
    // Both pipes at once, so that neither side can block on a full one.
    std::thread outReader;
    if (outRead != nullptr) {
        outReader = std::thread([&] { readAll(outRead, result.out); });
    }
    readAll(errRead, result.err);
    if (outReader.joinable()) {
        outReader.join();
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result.exitCode = static_cast<int>(code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    if (outRead != nullptr) {
        CloseHandle(outRead);
    }
    CloseHandle(errRead);
    return result;
}

#else

namespace {

void closeIfOpen(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// Reads both pipes until both are closed, so neither side can block on a full pipe.
void drain(int outFd, int errFd, std::string& out, std::string& err) {
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&out, &err};
    int open = (outFd >= 0 ? 1 : 0) + 1;
    if (outFd < 0) {
        fds[0].fd = -1;
    }
    char buffer[65536];
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::runtime_error("poll failed");
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

} // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options) {
    int outPipe[2] = {-1, -1};
    int errPipe[2] = {-1, -1};
    if ((!options.stdoutToFile && ::pipe2(outPipe, O_CLOEXEC) != 0) || ::pipe2(errPipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        // Child: only async-signal-safe calls from here on.
        if (!options.workingDirectory.empty() && ::chdir(options.workingDirectory.c_str()) != 0) {
            ::_exit(127);
        }
        int outFd = outPipe[1];
        if (options.stdoutToFile) {
            outFd = ::open(options.stdoutToFile->c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (outFd < 0) {
                ::_exit(127);
            }
        }
        if (::dup2(outFd, STDOUT_FILENO) < 0 || ::dup2(errPipe[1], STDERR_FILENO) < 0) {
            ::_exit(127);
        }
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }

    closeIfOpen(outPipe[1]);
    closeIfOpen(errPipe[1]);
    ProcessResult result;
    drain(outPipe[0], errPipe[0], result.out, result.err);
    closeIfOpen(outPipe[0]);
    closeIfOpen(errPipe[0]);

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            throw std::runtime_error("waitpid failed");
        }
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

#endif

} // namespace vornak::test
