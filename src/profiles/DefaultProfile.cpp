#include "profiles/DefaultProfile.h"

namespace vc {

int defaultProfileFor(const QString& programFileName) {
    struct Rule {
        const char* keyword;
        int profile;
    };
    // Order matters: the first keyword contained decides, and "rm" matches inside words.
    static constexpr Rule Rules[] = {{"avi", 102}, {"mp3", 17},    {"audio", 17},  {"3gp", 69},
                                     {"psp", 53},  {"mpeg", 110},  {"mp4", 118},   {"mkv", 125},
                                     {"ipod", 27}, {"iphone", 36}, {"gphone", 41}, {"wmv", 7},
                                     {"rm", 6},    {"flv", 11}};
    const QString name = programFileName.toLower();
    for (const Rule& rule : Rules)
        if (name.contains(QLatin1String(rule.keyword)))
            return rule.profile;
    return 1;
}

} // namespace vc
