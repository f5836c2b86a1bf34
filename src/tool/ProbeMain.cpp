// probe.dat: describes a media file for register.dat, which runs it for "-i FILE" (or many
// files for "--probe-server"), and finds the audio setting an encoder takes when a conversion
// failed.
#include "Probe.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--fit-audio")
        return vc::tool::runFitAudio(std::vector<std::string>(argv + 2, argv + argc));
    if (argc == 2 && std::string(argv[1]) == "--serve")
        return vc::tool::runProbeServer();
    if (argc != 3 || std::string(argv[1]) != "-i")
        return 2;
    return vc::tool::runProbe(argv[2]);
}
