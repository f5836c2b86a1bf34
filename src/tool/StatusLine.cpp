#include "StatusLine.h"

#include "Child.h"
#include "Text.h"

#include <cstdlib>

namespace vc::tool {

namespace {

std::optional<double> number(const std::map<std::string, std::string, std::less<>>& values,
                             std::string_view key) {
    const auto it = values.find(key);
    if (it == values.end())
        return std::nullopt;
    const char* begin = it->second.c_str();
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    if (end == begin)
        return std::nullopt;
    return value;
}

} // namespace

void StatusWriter::write(const Status& status) {
    Text text;
    if (status.frame)
        text.add("frame=%5ld fps=%3.0f q=%.1f ", *status.frame, status.fps, status.q);
    if (status.sizeBytes)
        text.add("size=%8.0fkB ", *status.sizeBytes / 1024.0);
    else
        text.add("size=     N/A ");
    text.add("time=%.2f ", status.seconds);
    if (status.kbitsPerSecond)
        text.add("bitrate=%6.1fkbits/s", *status.kbitsPerSecond);
    else
        text.add("bitrate=   N/A");

    std::string& line = text.str();
    const std::size_t length = line.size();
    if (length < previousLength_)
        line.append(previousLength_ - length, ' ');
    previousLength_ = length;
    line += '\r';
    writeAll(fd_, line.data(), line.size());
    open_ = true;
}

void StatusWriter::finish() {
    if (open_)
        writeAll(fd_, "\n", 1);
    open_ = false;
}

void ProgressReader::feed(std::string_view data) {
    pending_.append(data);
    std::size_t start = 0;
    for (std::size_t end; (end = pending_.find('\n', start)) != std::string::npos; start = end + 1)
        line(std::string_view(pending_).substr(start, end - start));
    pending_.erase(0, start);
}

void ProgressReader::line(std::string_view text) {
    if (!text.empty() && text.back() == '\r')
        text.remove_suffix(1);
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos)
        return;
    const std::string_view key = text.substr(0, eq);
    std::string_view value = text.substr(eq + 1);
    while (!value.empty() && value.front() == ' ')
        value.remove_prefix(1);
    if (key == "progress") {
        // The caller ends the line once ffmpeg is gone: a finished run may report once more.
        block();
        values_.clear();
        return;
    }
    // One stream's quality stands for all, as in the classic line.
    if (key.starts_with("stream_") && key.ends_with("_q")) {
        values_.try_emplace("q", value);
        return;
    }
    values_[std::string(key)] = std::string(value);
}

void ProgressReader::block() {
    const auto outTime = values_.find("out_time");
    const std::optional<double> micros = number(values_, "out_time_us");
    if (outTime == values_.end() || outTime->second == "N/A" || !micros)
        return;
    Status status;
    if (const std::optional<double> frame = number(values_, "frame"))
        status.frame = static_cast<long>(*frame);
    status.fps = number(values_, "fps").value_or(0);
    status.q = number(values_, "q").value_or(0);
    status.sizeBytes = number(values_, "total_size");
    status.seconds = *micros > 0 ? *micros / 1e6 : 0;
    status.kbitsPerSecond = number(values_, "bitrate");
    writer_.write(status);
    last_ = status;
}

} // namespace vc::tool
