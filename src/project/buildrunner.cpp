#include "project/buildrunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

namespace orvex {

namespace {

constexpr std::size_t kKeptOutput = 1 << 20;

// Both ends of a pipe, closed when it goes.
class Pipe {
public:
    Pipe() {
        if (::pipe2(mEnds, O_CLOEXEC) != 0) {
            mEnds[0] = mEnds[1] = -1;
        }
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    ~Pipe() {
        closeRead();
        closeWrite();
    }
    [[nodiscard]] bool ok() const { return mEnds[0] >= 0; }
    [[nodiscard]] int read() const { return mEnds[0]; }
    [[nodiscard]] int write() const { return mEnds[1]; }
    void closeRead() { closeEnd(0); }
    void closeWrite() { closeEnd(1); }

private:
    void closeEnd(int end) {
        if (mEnds[end] >= 0) {
            ::close(mEnds[end]);
            mEnds[end] = -1;
        }
    }
    int mEnds[2] = {-1, -1};
};

// The last `lines` lines, without the line ending of the last.
std::string tailOf(const std::string& output, std::int32_t lines) {
    std::size_t end = output.size();
    if (end > 0 && output[end - 1] == '\n') {
        --end;
    }
    std::size_t from = end;
    for (std::int32_t n = 0; n < lines && from > 0; ++n) {
        const std::size_t newline = output.rfind('\n', from - 1);
        from = newline == std::string::npos ? 0 : newline;
    }
    const std::size_t first = from > 0 || (end > 0 && output[0] == '\n') ? from + 1 : 0;
    return first >= end ? std::string{} : output.substr(first, end - first);
}

Error failure(const BuildCommand& command, const std::string& what, const std::string& output) {
    std::string message = "The build (" + command.commandLine + ") " + what;
    const std::string tail = tailOf(output, command.tailLines);
    message += tail.empty() ? ", with no output." : ". The end of its output:\n" + tail;
    return makeError(ErrorCode::BuildFailed, message);
}

// In the child: the folder, the output, then the program; on failure errno goes to `report`.
[[noreturn]] void startChild(const std::filesystem::path& folder, char* const* argv, int output,
                             int report) {
    ::setpgid(0, 0);
    const int input = ::open("/dev/null", O_RDONLY);
    int error = 0;
    if (::chdir(folder.c_str()) != 0 || input < 0 || ::dup2(input, 0) < 0 ||
        ::dup2(output, 1) < 0 || ::dup2(output, 2) < 0) {
        error = errno;
    } else {
        ::execvp(argv[0], argv);
        error = errno;
    }
    [[maybe_unused]] const auto written = ::write(report, &error, sizeof error);
    ::_exit(127);
}

void appendKept(std::string& output, const char* data, std::size_t size) {
    output.append(data, size);
    if (output.size() > 2 * kKeptOutput) {
        output.erase(0, output.size() - kKeptOutput);
    }
}

// Reads the child's output until it closes it or the deadline passes; false on the deadline.
// Each piece goes to `tell` too, and an empty one whenever it stays silent for a while.
bool drain(int from, std::chrono::steady_clock::time_point deadline, std::string& output,
           const std::function<void(std::string_view)>& tell) {
    char buffer[4096];
    // Without anyone to tell, a long wait costs nothing; with a window, it must not freeze.
    const std::int64_t slice = tell ? 50 : 1000;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd poll{from, POLLIN, 0};
        const int ready =
            ::poll(&poll, 1, static_cast<int>(std::min<std::int64_t>(left.count(), slice)));
        if (ready < 0 && errno != EINTR) {
            return true;
        }
        if (ready <= 0) {
            if (tell) {
                tell({});
            }
            continue;
        }
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return true;
        }
        appendKept(output, buffer, static_cast<std::size_t>(got));
        if (tell) {
            tell(std::string_view(buffer, static_cast<std::size_t>(got)));
        }
    }
}

// Waits for the child to end until the deadline; its wait status, or none at the deadline.
std::optional<int> waitUntil(pid_t child, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child || (done < 0 && errno != EINTR)) {
            return status;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        ::usleep(10000);
    }
}

void stop(pid_t child) {
    ::kill(-child, SIGKILL);
    ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

std::filesystem::file_time_type modified(const std::filesystem::path& path, bool& exists) {
    std::error_code error;
    const auto time = std::filesystem::last_write_time(path, error);
    exists = !error;
    return time;
}

}  // namespace

std::string BuildRun::tail(std::int32_t lines) const {
    return tailOf(output, lines);
}

std::vector<std::string> splitCommandLine(const std::string& commandLine) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (const char c : commandLine) {
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            } else {
                word += c;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord) {
                words.push_back(word);
                word.clear();
                inWord = false;
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) {
        words.push_back(word);
    }
    return words;
}

Result<BuildRun> runBuild(const std::filesystem::path& folder, const BuildCommand& command) {
    std::vector<std::string> words = splitCommandLine(command.commandLine);
    if (words.empty()) {
        return failure(command, "cannot run: the build command is empty", "");
    }
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    Pipe output;
    Pipe report;
    if (!output.ok() || !report.ok()) {
        return failure(command, "cannot run: no pipe for its output", "");
    }
    const auto deadline = std::chrono::steady_clock::now() + command.timeout;
    const pid_t child = ::fork();
    if (child < 0) {
        return failure(command, std::string("cannot run: ") + std::strerror(errno), "");
    }
    if (child == 0) {
        startChild(folder, argv.data(), output.write(), report.write());
    }
    output.closeWrite();
    report.closeWrite();
    int startError = 0;
    if (::read(report.read(), &startError, sizeof startError) == sizeof startError) {
        stop(child);
        return failure(command, "cannot run " + words.front() + ": " + std::strerror(startError),
                       "");
    }
    BuildRun run;
    const bool closed = drain(output.read(), deadline, run.output, command.output);
    const auto status = closed ? waitUntil(child, deadline) : std::nullopt;
    if (!status) {
        stop(child);
        const auto seconds = std::chrono::duration<double>(command.timeout).count();
        return failure(
            command,
            "did not finish within " + std::to_string(seconds).substr(0, 5) + " s and was stopped",
            run.output);
    }
    if (WIFSIGNALED(*status)) {
        return failure(command, "was ended by signal " + std::to_string(WTERMSIG(*status)),
                       run.output);
    }
    if (WEXITSTATUS(*status) != 0) {
        return failure(command, "failed with exit status " + std::to_string(WEXITSTATUS(*status)),
                       run.output);
    }
    return run;
}

std::optional<std::string> staleReason(const ProjectFolder& project, const Listing& listing) {
    bool exists = false;
    const auto built = modified(project.listing, exists);
    if (!exists) {
        return "there is no " + project.listing.filename().string() + " yet";
    }
    modified(project.image, exists);
    if (!exists) {
        return "there is no " + project.image.filename().string() + " yet";
    }
    std::set<std::string> named(listing.sources.begin(), listing.sources.end());
    for (const PlacedFile& file : listing.files) {
        named.insert(file.path);
    }
    const std::string main = project.mainSource.filename().string();
    named.insert(main);
    for (const std::string& name : named) {
        // A file that no longer exists is reported by whatever reads it, not rebuilt for.
        const auto time = modified(project.file(name), exists);
        if (exists && time > built) {
            return project.listing.filename().string() + " is older than " + name;
        }
    }
    return std::nullopt;
}

}  // namespace orvex
