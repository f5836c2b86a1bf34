// The tool's answer to a probe, read the way the pipe hands it over, and the source row and
// estimate made from what was found.
#include "FuzzSupport.h"
#include "media/ProbeOutput.h"
#include "media/SourceRecords.h"
#include "profiles/QualityRates.h"

#include <string_view>

using namespace vc;

namespace {

// Read sizes follow the bytes themselves, so the fuzzer steers where the reads are cut
// without giving up any of the text.
void feedInReads(TtimeProcessor& reader, std::string_view output) {
    while (!output.empty()) {
        const auto byte = static_cast<unsigned char>(output.front());
        const std::size_t size = std::min<std::size_t>(output.size(), 1 + byte * 37 % 300);
        reader.feed(output.substr(0, size));
        output.remove_prefix(size);
        fuzz::check(reader.pending().find_first_of("\r\n") == std::string::npos,
                    "a line end was left pending");
    }
}

void useFindings(const ProbeResult& found) {
    const auto item = makeSourceItem(QStringLiteral("/videos/clip.avi"), found);
    if (!item)
        return;
    // The estimate the new row shows: a computed-rate profile at its original size and rates.
    ProfileState profile;
    profile.number = 1;
    profile.extension = QStringLiteral(".avi");
    ParameterChoice choice;
    choice.sizeIndex = 0;
    choice.sizeText = QLatin1String(OriginalSizeEntry);
    choice.videoIndex = 2;
    choice.audioIndex = 5;
    choice.audioText = QLatin1String(OriginalAudioEntry);
    choice.channelIndex = 1;
    const SourceInfo source = sourceInfo(item->info);
    const EstimateResult e = estimate(profile, choice, source);
    fuzz::check(e.error.isEmpty() != e.text.isEmpty(), "an estimate is neither text nor error");
    choice.videoIndex = 5;
    choice.videoText = QLatin1String(OriginalVideoEntry);
    estimate(profile, choice, source);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view output(reinterpret_cast<const char*>(data), size);

    TtimeProcessor reader;
    feedInReads(reader, output);
    useFindings(reader.result());

    // The whole output in one read, as a fast tool's output arrives.
    reader.clear();
    fuzz::check(reader.result() == ProbeResult() && reader.pending().empty(),
                "clear() kept something");
    reader.feed(output);
    useFindings(reader.result());
    return 0;
}
