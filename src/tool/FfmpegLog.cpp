#include "FfmpegLog.h"

#include "OutputFile.h"

#include "Child.h"

#include <algorithm>
#include <cstdlib>
#include <unistd.h>

namespace vc::tool {

namespace {

constexpr int InfoLevel = 32;

struct NamedLevel {
    std::string_view name;
    int level;
};

constexpr NamedLevel Levels[] = {{"quiet", -8},   {"panic", 0},    {"fatal", 8},
                                 {"error", 16},   {"warning", 24}, {"info", 32},
                                 {"verbose", 40}, {"debug", 48},   {"trace", 56}};

std::optional<int> levelMarked(std::string_view name) {
    for (const NamedLevel& l : Levels) {
        if (l.name == name)
            return l.level;
    }
    return std::nullopt;
}

// A level as "-loglevel" takes it: a name or a number.
std::optional<int> levelNamed(std::string_view name) {
    if (const std::optional<int> level = levelMarked(name))
        return level;
    if (!name.empty() && name.find_first_not_of("-0123456789") == std::string_view::npos)
        return std::atoi(std::string(name).c_str());
    return std::nullopt;
}

std::string_view nameOf(int level) {
    std::string_view name = Levels[0].name;
    for (const NamedLevel& l : Levels) {
        if (l.level <= level)
            name = l.name;
    }
    return name;
}

void keepTail(std::string& kept, std::string_view data) {
    constexpr std::size_t Kept = 65536;
    kept.append(data);
    if (kept.size() > Kept)
        kept.erase(0, kept.size() - Kept);
}

} // namespace

LogLevel routeLogLevel(Args& args) {
    LogLevel result;
    bool repeat = false;
    for (std::size_t i = 0; i + 1 < args.size();) {
        if (args[i] != "-loglevel" && args[i] != "-v") {
            ++i;
            continue;
        }
        // "[flag+...+]level", a flag maybe led by "+" or "-".
        std::string_view value = args[i + 1];
        while (!value.empty()) {
            const std::size_t plus = value.find('+', 1);
            std::string_view token = value.substr(0, plus);
            const bool off = token.front() == '-' && !levelNamed(token);
            if (token.front() == '+' || off)
                token.remove_prefix(1);
            if (token == "level")
                result.markers = !off;
            else if (token == "repeat")
                repeat = !off;
            else if (const std::optional<int> level = levelNamed(token))
                result.shown = *level;
            value = plus == std::string_view::npos ? std::string_view() : value.substr(plus);
        }
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                   args.begin() + static_cast<std::ptrdiff_t>(i + 2));
    }
    result.ffmpegOption = std::string(repeat ? "repeat+" : "") + "level+" +
                          std::string(nameOf(std::max(result.shown, InfoLevel)));
    args.insert(args.begin(), {"-loglevel", result.ffmpegOption});
    return result;
}

LogRouter::LogRouter(const LogLevel& level, const std::string& inputName)
    : level_(level), dump_(inputName) {}

void LogRouter::feed(std::string_view data) {
    pending_.append(data);
    std::size_t start = 0;
    for (std::size_t end; (end = pending_.find('\n', start)) != std::string::npos; start = end + 1)
        line(std::string_view(pending_).substr(start, end - start));
    pending_.erase(0, start);
}

void LogRouter::finish() {
    if (!pending_.empty()) {
        line(pending_);
        pending_.clear();
    }
    dump_.finish();
    if (dump_.ended() && !dumpReported_) {
        dumpReported_ = true;
        if (onDump)
            onDump(dump_.facts());
    }
}

void LogRouter::line(std::string_view text) {
    // Said of any name without the extension, as a descriptor's is; the real one has it.
    if (output && text.find("extension is not .m4a nor .m4v") != std::string_view::npos)
        return;
    std::string renamed;
    if (output && text.find("/proc/self/fd/") != std::string_view::npos) {
        renamed = output->named(std::string(text));
        text = renamed;
    }
    // "[h264 @ 0x5581] [warning] text": the sources first, then the level.
    std::size_t at = 0;
    while (text.compare(at, 1, "[") == 0) {
        const std::size_t close = text.find("] ", at);
        if (close == std::string_view::npos ||
            text.substr(at, close - at).find(" @ ") == std::string_view::npos)
            break;
        at = close + 2;
    }
    bool marked = false;
    std::size_t markerLength = 0;
    if (text.compare(at, 1, "[") == 0) {
        const std::size_t close = text.find("] ", at);
        if (close != std::string_view::npos) {
            if (const std::optional<int> level = levelMarked(text.substr(at + 1, close - at - 1))) {
                marked = true;
                lastLevel_ = *level;
                markerLength = close + 2 - at;
            }
        }
    }
    const std::string_view message = text.substr(at + markerLength);
    dump_.line(message, marked, lastLevel_ == InfoLevel);
    if (lastLevel_ <= level_.shown) {
        std::string shown;
        if (level_.markers)
            shown = std::string(text);
        else
            shown = std::string(text.substr(0, at)).append(message);
        shown += '\n';
        writeAll(STDERR_FILENO, shown.data(), shown.size());
        keepTail(shown_, shown);
    } else {
        keepTail(info_, message);
        keepTail(info_, "\n");
    }
    if (dump_.ended() && !dumpReported_) {
        dumpReported_ = true;
        if (onDump)
            onDump(dump_.facts());
    }
}

} // namespace vc::tool
