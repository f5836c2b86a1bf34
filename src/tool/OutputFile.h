#pragma once

#include "Arguments.h"

#include <optional>
#include <string>
#include <sys/types.h>

namespace vc::tool {

// ffmpeg writes the output through this inherited descriptor, never through a name.
constexpr int OutputFd = 4;

// The muxer ffmpeg picks for a name with this extension, "" for one it would not know.
std::string muxerFor(const std::string& extension);

// The file a run writes. It carries no final name until the run keeps it, so a name never
// shows a partial file, a dead run leaves nothing that plays under a final name, and nothing
// anyone links into the folder meanwhile is written through.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // An unnamed file in the folder of `path`; where the file system has none (NFS, FAT), or
    // when not `unnamed`, a hidden partial name beside it. False with errno set.
    bool open(const std::string& path, bool unnamed = true);
    int fd() const { return fd_; }
    off_t size() const;
    const std::string& path() const { return path_; }

    // ffmpeg's arguments with the output written through OutputFd.
    Args redirect(const ConvertCall& call, Args ffmpegArgs) const;
    // ffmpeg's words with the descriptor's name turned back into the output's.
    std::string named(std::string text) const;

    // Makes what was written durable, then gives it the asked name or, when that is taken,
    // the first free "_n"; never replaces an entry. The name given, or nothing with errno set.
    std::optional<std::string> keep();

private:
    bool link(const std::string& name);

    std::string path_;
    std::string folder_; // as asked, with its separator; "" for the current folder
    int dirFd_ = -1;
    int fd_ = -1;
    std::string partial_; // the hidden name, when the file could not be made unnamed
    bool kept_ = false;
};

// The sentence for an output that could not be written, from the system's error number.
std::string unwrittenReason(const std::string& output, int error);

} // namespace vc::tool
