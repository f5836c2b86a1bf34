#include "media/StreamChoices.h"

#include "common/Languages.h"
#include "media/SourceRecords.h"

#include <utility>

namespace vc {

namespace {

// The codec as a person names it; the library's name in capitals otherwise.
QString codecName(const std::string& codec,
                  std::initializer_list<std::pair<const char*, const char*>> names) {
    const QString id = QString::fromStdString(codec).toLower();
    for (const auto& [library, shown] : names)
        if (id == QLatin1String(library))
            return QLatin1String(shown);
    if (id.startsWith(QLatin1String("pcm_")))
        return QStringLiteral("PCM");
    return id.toUpper();
}

// "stereo" as "Stereo", "5.1(side)" as "5.1": the disc titles' channel words.
QString channelsName(const std::string& layout) {
    QString text = QString::fromStdString(layout);
    if (const qsizetype bracket = text.indexOf(u'('); bracket > 0)
        text.truncate(bracket);
    if (text == QLatin1String("mono") || text == QLatin1String("stereo"))
        text[0] = text[0].toUpper();
    return text;
}

QString withLanguage(const ProbeStream& stream, const QString& rest) {
    return QString::fromStdString(languageName(stream.language)) + QStringLiteral(", ") + rest;
}

} // namespace

QString audioTrackText(const ProbeStream& stream) {
    QString text = withLanguage(stream, codecName(stream.codec, {{"aac", "AAC"},
                                                                 {"ac3", "AC-3"},
                                                                 {"eac3", "E-AC-3"},
                                                                 {"truehd", "TrueHD"},
                                                                 {"opus", "Opus"},
                                                                 {"vorbis", "Vorbis"},
                                                                 {"wmav1", "WMA"},
                                                                 {"wmav2", "WMA"},
                                                                 {"wmapro", "WMA Pro"},
                                                                 {"amr_nb", "AMR"},
                                                                 {"amr_wb", "AMR-WB"}}));
    const QString channels = channelsName(stream.layout);
    if (!channels.isEmpty())
        text += QStringLiteral(", ") + channels;
    return text;
}

QString subtitleTrackText(const ProbeStream& stream) {
    return withLanguage(stream, codecName(stream.codec, {{"subrip", "SRT"},
                                                         {"mov_text", "Timed Text"},
                                                         {"webvtt", "WebVTT"},
                                                         {"dvd_subtitle", "VobSub"},
                                                         {"hdmv_pgs_subtitle", "PGS"},
                                                         {"dvb_subtitle", "DVB"},
                                                         {"dvb_teletext", "Teletext"}}));
}

void takeStreams(Toriginalinfo& info, const ProbeResult& probe) {
    info.audioTracks.clear();
    info.subtitleTracks.clear();
    info.audioTrack = 1;
    info.subtitleTrack = 0;
    bool chosen = false;
    for (const ProbeStream& stream : probe.audioStreams) {
        info.audioTracks << audioTrackText(stream);
        if (stream.isDefault && !std::exchange(chosen, true))
            info.audioTrack = static_cast<int>(info.audioTracks.size());
    }
    for (const ProbeStream& stream : probe.subtitleStreams)
        info.subtitleTracks << subtitleTrackText(stream);
}

QString chooseFileStreams(Toriginalinfo& info, const QString& shownName,
                          std::optional<int> audioTrack, std::optional<int> subtitle) {
    if (audioTrack && *audioTrack > info.audioTracks.size())
        return QStringLiteral("%1 has no audio track %2.").arg(shownName).arg(*audioTrack);
    if (subtitle && *subtitle > info.subtitleTracks.size())
        return QStringLiteral("%1 has no subtitle %2.").arg(shownName).arg(*subtitle);
    if (audioTrack)
        info.audioTrack = *audioTrack;
    if (subtitle)
        info.subtitleTrack = *subtitle;
    return {};
}

} // namespace vc
