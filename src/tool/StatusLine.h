#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vc::tool {

// The classic one-line status report, redrawn in place with a lone CR.
struct Status {
    std::optional<long> frame; // absent for outputs without video
    double fps = 0;
    double q = 0;
    std::optional<double> sizeBytes;
    double seconds = 0;
    std::optional<double> kbitsPerSecond;
};

// Formats status lines; each new line is padded to cover the previous one, so that a
// reader that overwrites in place never sees leftovers of a longer earlier line.
class StatusWriter {
public:
    explicit StatusWriter(int fd) : fd_(fd) {}

    void write(const Status& status);
    // Ends the open status line, if any, so later output starts on a line of its own.
    void finish();

private:
    int fd_;
    std::size_t previousLength_ = 0;
    bool open_ = false;
};

// Reads ffmpeg's "-progress" key=value stream and reports each block as a status line.
class ProgressReader {
public:
    explicit ProgressReader(StatusWriter& writer) : writer_(writer) {}

    void feed(std::string_view data);
    // The last status reported, if any.
    const std::optional<Status>& last() const { return last_; }

private:
    void line(std::string_view text);
    void block();

    StatusWriter& writer_;
    std::string pending_;
    std::optional<Status> last_;
    std::map<std::string, std::string, std::less<>> values_;
};

} // namespace vc::tool
