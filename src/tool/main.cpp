// register.dat: the converter tool the main program runs. It speaks the classic
// converter-tool dialect and leaves the media work to the system's ffmpeg.
#include "Arguments.h"
#include "Convert.h"
#include "Probe.h"

int main(int argc, char** argv) {
    using namespace vc::tool;
    const Args args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "-i")
        return runProbe(args[1]);
    const ConvertCall call = parseCall(args);
    if (call.output && extensionOf(call.args[*call.output]) == "amr")
        return runAmr(call);
    return runConvert(call);
}
