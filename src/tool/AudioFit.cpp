#include "AudioFit.h"

#include "Child.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <unistd.h>

namespace vc::tool {

namespace {

const std::vector<std::string> BitRateOptions{"-ab", "-b:a"};
const std::vector<std::string> SampleRateOptions{"-ar"};

std::string number(const ConvertCall& call, const std::vector<std::string>& names) {
    const std::optional<std::string> text = outputOptionValue(call, names);
    if (!text)
        return "0";
    const std::optional<long> value = parseRate(*text);
    return value ? std::to_string(*value) : "0";
}

std::optional<std::string> runProbe(const Args& args) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        complain(std::string("cannot make a pipe: ") + std::strerror(errno));
        return std::nullopt;
    }
    Child child;
    std::string error;
    const std::string program = besideUs("probe.dat");
    const bool started = child.start(program, args, {{STDOUT_FILENO, out[1]}}, error);
    close(out[1]);
    if (!started) {
        close(out[0]);
        complain("cannot run " + program + ": " + error);
        return std::nullopt;
    }
    std::string answer;
    char buffer[256];
    for (;;) {
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    close(out[0]);
    if (child.wait() != 0)
        return std::nullopt;
    return answer;
}

} // namespace

AudioFit fitAudio(const ConvertCall& call) {
    AudioFit fit;
    if (!call.input || !call.output || hasOption(call, {"-an"})) {
        fit.verdict = AudioFit::Verdict::NoSound;
        return fit;
    }
    const std::string encoder =
        outputOptionValue(call, {"-acodec", "-c:a", "-codec:a", "-c", "-codec"}).value_or("");
    // A disc standard sets its own sound, and a copied stream is not encoded at all.
    if (encoder == "copy" || hasOption(call, {"-target"})) {
        fit.verdict = AudioFit::Verdict::Fits;
        return fit;
    }
    const std::string bitRate = number(call, BitRateOptions);
    const std::string sampleRate = number(call, SampleRateOptions);
    const std::string channels = number(call, {"-ac"});
    const std::optional<std::string> answer = runProbe(
        {"--fit-audio", call.args[*call.input], call.args[*call.output],
         outputOptionValue(call, {"-f"}).value_or(""), encoder, bitRate, sampleRate, channels});
    if (!answer)
        return fit;

    std::istringstream words(*answer);
    std::string kind;
    words >> kind;
    if (kind == "silent")
        fit.verdict = AudioFit::Verdict::NoSound;
    else if (kind == "channels")
        fit.verdict = AudioFit::Verdict::Channels;
    if (kind != "fit")
        return fit;
    long fitBits = 0, fitRate = 0;
    if (!(words >> fitBits >> fitRate))
        return fit;

    // However far the nearest rate lies: a phone's 4.75 kb/s AMR kept as it is must still
    // convert to a format whose least is 24 kb/s.
    ConvertCall refitted = call;
    if (std::to_string(fitBits) != bitRate)
        refitted = withOutputOption(refitted, BitRateOptions, std::to_string(fitBits));
    if (std::to_string(fitRate) != sampleRate)
        refitted = withOutputOption(refitted, SampleRateOptions, std::to_string(fitRate));
    fit.verdict =
        refitted.args == call.args ? AudioFit::Verdict::Fits : AudioFit::Verdict::Refitted;
    if (fit.verdict == AudioFit::Verdict::Refitted)
        fit.call = refitted;
    return fit;
}

std::optional<std::string> audioAdvice(AudioFit::Verdict verdict) {
    switch (verdict) {
    case AudioFit::Verdict::Channels:
        return "The number of channels does not suit this format: choose other Channels.";
    default:
        return std::nullopt;
    }
}

} // namespace vc::tool
