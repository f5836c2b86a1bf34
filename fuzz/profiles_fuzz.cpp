// profiles.pop as the picker reads it: a profile's group, the boxes and rate slots filled from
// it, and the estimate and converter arguments built from those.
#include "FuzzSupport.h"
#include "convert/ConversionLine.h"
#include "profiles/Catalogue.h"
#include "profiles/ProfileData.h"
#include "profiles/ProfileParameters.h"

#include <QList>
#include <algorithm>
#include <string_view>

using namespace vc;

namespace {

// The file's lines as a plain reading gives them, for comparing with what the reader returns.
QList<QByteArray> plainLines(std::string_view text) {
    QList<QByteArray> lines;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        QByteArray line(text.data(), static_cast<qsizetype>(std::min(lf, text.size())));
        if (line.endsWith('\r'))
            line.chop(1);
        lines << line;
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
    }
    return lines;
}

void checkGroup(const ProfileGroup& group, const QList<QByteArray>& lines, int number) {
    const qsizetype first = 4LL * number - 3;
    fuzz::check(first + 2 < lines.size(), "a group was read past the file's end");
    fuzz::check(group.rates == QString::fromUtf8(lines[first + 1]) &&
                    group.options == QString::fromUtf8(lines[first + 2]),
                "a group's lines are not the file's", QString::number(number));
    for (const QString& entry : group.sizes)
        fuzz::check(!entry.isEmpty() && !entry.contains(u' '), "a size entry", entry);
}

// The entries the boxes offer, picked as the user could pick them.
void useGroup(int number, const ProfileGroup& group) {
    ParameterBoxStates boxes = initialBoxStates();
    ProfileState state;
    applyProfileGroup(number, group, boxes, state);
    state.number = number;
    state.extension = profileExtension(number);

    ConversionInputs in;
    in.outputFolder = fuzz::workDir();
    in.title = QStringLiteral("clip");
    in.path = QStringLiteral("/videos/clip.avi");
    in.source = {QStringLiteral("00:01:40"), QStringLiteral("640x480"), QStringLiteral("1150"),
                 QStringLiteral("128")};
    in.profile = state;
    in.sizeEnabled = boxes.size.enabled;
    // Every size and every level at least once; all pairs would cost more than they find.
    const int sizes = std::min<int>(static_cast<int>(boxes.size.items.size()), 6) + 1;
    const int levels = static_cast<int>(boxes.video.items.size());
    const int audios = static_cast<int>(boxes.audio.items.size());
    for (int i = 0; i < std::max(sizes, levels); ++i) {
        boxes.size.current = i % sizes - 1;
        boxes.video.current = i % levels;
        boxes.audio.current = i % audios;
        in.choice = choiceOf(boxes);
        const EstimateResult e = estimate(state, in.choice, in.source);
        fuzz::check(e.error.isEmpty() != e.text.isEmpty(), "an estimate is neither");
        intputrec job;
        fillJob(job, in, [](const QString&) { return NameClaim::Free; });
        toolArguments(job);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = fuzz::writeWorkFile(QStringLiteral("profiles.pop"), data, size);
    const QList<QByteArray> lines = plainLines({reinterpret_cast<const char*>(data), size});

    // A data-file rate, a computed rate, a disc target, the last group the file holds, the
    // first it lacks, and one the input picks.
    const int held = static_cast<int>(std::min<qsizetype>(lines.size() / 4, ProfileCount));
    QList<int> numbers{1, 15, 113, held, held + 1, 1 + static_cast<int>(size % ProfileCount)};
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());

    for (const int number : numbers) {
        const ProfileGroupRead read = readProfileGroup(path, number);
        fuzz::check(read.status != ProfileGroupRead::Status::Unreadable, "unreadable", read.error);
        fuzz::check((read.status == ProfileGroupRead::Status::Ok) ==
                        (number >= 1 && 4 * number <= lines.size()),
                    "a group read as present or missing wrongly", QString::number(number));
        if (read.status != ProfileGroupRead::Status::Ok)
            continue;
        checkGroup(read.group, lines, number);
        if (hasProfile(number))
            useGroup(number, read.group);
    }
    return 0;
}
