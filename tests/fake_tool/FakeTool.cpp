// A scripted stand-in for the converter tool. It follows the directives in the file named
// by VC_FAKE_TOOL_SCRIPT, one per line:
//   out TEXT     write TEXT (escapes \r \n \b \t \0 \a \\ \xHH) and flush
//   bulk N TEXT  write TEXT N times in one go
//   sleep MS     pause
//   child FILE   fork a child that sleeps and record its pid in FILE
//   crash        die by SIGSEGV
//   deaf         ignore SIGTERM, as a tool stuck in a write would
//   exit N       end with status N
// Its arguments, one per line, go to the file named by VC_FAKE_TOOL_ARGS when set.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

static std::string unescape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        const char c = s[++i];
        switch (c) {
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 'b':
            out += '\b';
            break;
        case 't':
            out += '\t';
            break;
        case '0':
            out += '\0';
            break;
        case 'a':
            out += '\a';
            break;
        case 'x':
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
            break;
        default:
            out += c;
        }
    }
    return out;
}

static void writeAll(const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(1, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            std::exit(3);
        done += static_cast<std::size_t>(n);
    }
}

int main(int argc, char** argv) {
    // Stands for a tool that probes one file per run.
    if (argc == 2 && std::string(argv[1]) == "--probe-server")
        return 2;
    if (const char* argsFile = std::getenv("VC_FAKE_TOOL_ARGS")) {
        std::ofstream out(argsFile);
        for (int i = 1; i < argc; ++i)
            out << argv[i] << '\n';
    }
    const char* scriptFile = std::getenv("VC_FAKE_TOOL_SCRIPT");
    if (!scriptFile)
        return 0;
    std::ifstream script(scriptFile);
    std::string line;
    while (std::getline(script, line)) {
        const std::size_t blank = line.find(' ');
        const std::string word = line.substr(0, blank);
        const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);
        if (word == "out") {
            writeAll(unescape(rest));
        } else if (word == "bulk") {
            const std::size_t gap = rest.find(' ');
            const long count = std::stol(rest.substr(0, gap));
            const std::string text = unescape(rest.substr(gap + 1));
            std::string all;
            for (long i = 0; i < count; ++i)
                all += text;
            writeAll(all);
        } else if (word == "sleep") {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::stol(rest)));
        } else if (word == "child") {
            const pid_t pid = fork();
            if (pid == 0) {
                ::close(1);
                ::close(2);
                ::sleep(60);
                _exit(0);
            }
            std::ofstream(rest) << pid << '\n';
        } else if (word == "deaf") {
            std::signal(SIGTERM, SIG_IGN);
        } else if (word == "crash") {
            // A sanitizer's handler would turn the signal into a plain exit status.
            std::signal(SIGSEGV, SIG_DFL);
            std::raise(SIGSEGV);
        } else if (word == "exit") {
            return std::stoi(rest);
        }
    }
    return 0;
}
