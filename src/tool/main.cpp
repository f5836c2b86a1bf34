// register.dat: the converter tool the main program runs. It speaks the classic
// converter-tool dialect and leaves the media work to the system's ffmpeg.
#include "Arguments.h"
#include "Child.h"
#include "Convert.h"
#include "SourceFit.h"
#include "TitleListing.h"

#include <string>
#include <unistd.h>

namespace {

// Probing needs the media libraries, whose loading costs more than a short conversion's
// start; they live in probe.dat beside this program, so conversions never load them.
int execProbe(const char* option, const char* path) {
    const std::string probe = vc::tool::besideUs("probe.dat");
    const char* argv[] = {probe.c_str(), option, path, nullptr};
    execv(probe.c_str(), const_cast<char* const*>(argv));
    // On standard output, where the program reads the probe's words.
    const std::string line = "The converter tool is missing: " + probe + "\r\n";
    vc::tool::writeAll(STDOUT_FILENO, line.data(), line.size());
    return 127;
}

} // namespace

int main(int argc, char** argv) {
    using namespace vc::tool;
    const Args args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "--list-titles")
        return runListTitles(args[1]);
    if (args.size() == 2 && args[0] == "-i")
        return execProbe("-i", args[1].c_str());
    if (args.size() == 1 && args[0] == "--probe-server")
        return execProbe("--serve", nullptr);
    return runWritten(parseCall(args));
}
