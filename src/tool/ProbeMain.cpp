// probe.dat: describes a media file for register.dat, which runs it for "-i FILE".
#include "Probe.h"

#include <string>

int main(int argc, char** argv) {
    if (argc != 3 || std::string(argv[1]) != "-i")
        return 2;
    return vc::tool::runProbe(argv[2]);
}
