#pragma once

#include <QString>
#include <array>

namespace vc {

// Profile numbers run 1..ProfileCount; each is also the number of its picker button btim_N.
// Numbers are stored in settings and parameter stores, so new profiles only ever go after the
// last one.
inline constexpr int ProfileCount = 139;
inline constexpr int CategoryCount = 14;

// What a click on a profile's picker button does.
enum class ButtonRole {
    Selects,         // makes the number the selected profile
    OpensSubPanel,   // shows a sub-panel while the pointer rests on it; never selects
    NoClick,         // carries a name but ignores clicks
    Filler,          // empty area at the bottom of a panel
    ClickableFiller, // empty area that still takes clicks
};

struct ProfileEntry {
    const char* panel; // the picker panel showing the button, "pl_video1"
    const char* name;  // UTF-8 display name; nullptr for fillers
    ButtonRole role;
    const char* subPanel; // the panel an opener shows, else nullptr
};

struct Category {
    int index;                        // 1..CategoryCount, saved as the highlighted category
    const char* stripImage;           // image control on the category strip
    std::array<const char*, 2> pages; // second page nullptr for one-panel categories
    int first;                        // profile numbers on the category's own panels
    int last;
    const char* title; // what its strip image says
};

// What an opener's picture says: the formats of the sub-panel it opens. An opener's display
// name belongs to the profile of its number, which the opener never selects.
struct OpenerCaption {
    const char* title;  // "MKV Movie"; its first word is the format every profile there has
    const char* detail; // the choices inside
};

// What the controls at the foot of a two-page panel say.
inline constexpr char NextPageCaption[] = "More formats";
inline constexpr char PreviousPageCaption[] = "Previous formats";

// Numbers outside 1..ProfileCount give nullptr.
const ProfileEntry* profileEntry(int number);
// nullptr unless the number's button opens a sub-panel.
const OpenerCaption* openerCaption(int number);
// The category owning a profile's panel; sub-panels belong to category 1. 0 when out of range.
int categoryOf(int number);
// True for the buttons of the sub-panels that cascade out of the first video page.
bool inSubPanel(int number);
// index 1..CategoryCount; anything else gives nullptr.
const Category* category(int index);
// The category a panel or sub-panel belongs to, 0 when there is none of that name.
int categoryOfPanel(const QString& panel);

// True for the 127 numbers that carry a display name.
bool hasProfile(int number);
// Empty for fillers and numbers out of range; callers then keep the name they had.
QString profileName(int number);
// The text after the first "*" up to, not including, the last character, case kept:
// "PS3 Video(1080P)MPEG-4(*.MP4)" gives ".MP4". Empty without a "*".
QString extensionOf(const QString& displayName);
QString profileExtension(int number);

// Profile classes by number range.
bool isDiscTarget(int number);   // 112 Video CD, 113 Super Video CD, 114 DVD
bool isDataFileRate(int number); // 15-101: video rates come from the profile data file
bool isComputedRate(int number); // 1-14, 102-131 without the disc targets, 133-137
bool isAudioOnly(int number);    // only audio bit rate and channels are remembered
// Lossless audio has no quality levels: only the channels are remembered.
bool isLossless(int number);
// Offers "The original width and height" whatever its extension.
bool offersOriginalSize(int number);

// Hevc, Vp9 and Av1 are the rows of the newer codecs, which need less rate for the same picture.
enum class FactorRow { Generic, Mini, Normal, Excellent, Hevc, Vp9, Av1 };
FactorRow factorRow(int number);

// The profile a program starts with when the settings hold none, chosen by keywords in its
// lower-cased file name (so "iPod Converter" starts on an iPod profile).
int defaultProfileFor(const QString& programFileName);

} // namespace vc
