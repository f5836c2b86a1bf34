#pragma once

#include "Arguments.h"

#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace vc::tool {

// The ffmpeg to run: $VIDEOCONVERTER_FFMPEG when set, otherwise "ffmpeg" from PATH.
std::string ffmpegProgram();

// One ffmpeg run. The child stays in our process group, so a stop, continue or kill sent
// to the group reaches both of us, and it is killed when we die, so it never outlives us.
class Child {
public:
    // `fds` maps a descriptor number in the child to one of ours; every other descriptor
    // we opened stays closed in the child. On failure `error` tells why ffmpeg did not run.
    bool start(const std::string& program, const Args& args,
               const std::vector<std::pair<int, int>>& fds, std::string& error);

    // Waits for the end; gives the exit status, or 128 + signal for a signal death.
    int wait();

    // Asks ffmpeg to stop early (it still finishes its output file).
    void terminate();
    // Ends ffmpeg at once, for a run whose output will be written again.
    void kill();

    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

// A program in the folder of the running one.
std::string besideUs(const std::string& name);

// True once we were asked to stop; nothing more is to be started then.
bool stopRequested();

// One line on standard error, in the tool's name.
void complain(const std::string& text);

// Starts ffmpegProgram() with args; on failure says why and returns false.
bool startFfmpeg(Child& child, const Args& args, const std::vector<std::pair<int, int>>& fds);

// Writes all of data to fd, retrying after interruptions; false on a write error.
bool writeAll(int fd, const char* data, std::size_t size);

} // namespace vc::tool
