#pragma once

#include "Arguments.h"

#include <optional>
#include <string>

namespace vc::tool {

// What the media libraries make of a call's sound, asked after a run that failed before it
// made any progress.
struct AudioFit {
    enum class Verdict {
        NoSound,  // none to encode: the failure lies elsewhere
        Fits,     // the asked setting works: the failure lies elsewhere
        Refitted, // `call` asks for the nearest setting that works instead
        Unfit,    // nothing the user can choose makes it work
        Channels, // only another channel count works
    };
    Verdict verdict = Verdict::Unfit;
    std::optional<ConvertCall> call;
};

// Asks probe.dat, which has the libraries, for the audio setting nearest the call's that the
// encoder and the format take.
AudioFit fitAudio(const ConvertCall& call);

// The sentence that names the box the user must change, if the verdict has one.
std::optional<std::string> audioAdvice(AudioFit::Verdict verdict);

} // namespace vc::tool
