#include "OutputFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vc::tool {

namespace {

const std::string DescriptorPath = "/proc/self/fd/" + std::to_string(OutputFd);

std::string extensionFree(const std::string& base) {
    const std::size_t dot = base.rfind('.');
    return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

std::string extensionPart(const std::string& base) {
    const std::size_t dot = base.rfind('.');
    return dot == std::string::npos || dot == 0 ? std::string() : base.substr(dot);
}

// The encoder an image file of this kind needs; ffmpeg guesses it from the name only.
std::string imageEncoder(const std::string& extension) {
    if (extension == "jpg" || extension == "jpeg")
        return "mjpeg";
    return extension;
}

} // namespace

std::string muxerFor(const std::string& extension) {
    static const std::pair<const char*, const char*> muxers[] = {
        {"3g2", "3g2"},     {"3gp", "3gp"},    {"aac", "adts"},     {"ac3", "ac3"},
        {"aif", "aiff"},    {"aiff", "aiff"},  {"amr", "amr"},      {"asf", "asf"},
        {"au", "au"},       {"avi", "avi"},    {"bmp", "image2"},   {"flac", "flac"},
        {"flv", "flv"},     {"gif", "gif"},    {"jpeg", "image2"},  {"jpg", "image2"},
        {"m2ts", "mpegts"}, {"m4a", "ipod"},   {"mka", "matroska"}, {"mkv", "matroska"},
        {"mov", "mov"},     {"mp2", "mp2"},    {"mp3", "mp3"},      {"mp4", "mp4"},
        {"mpeg", "mpeg"},   {"mpg", "mpeg"},   {"oga", "oga"},      {"ogg", "ogg"},
        {"opus", "opus"},   {"png", "image2"}, {"ra", "rm"},        {"rm", "rm"},
        {"swf", "swf"},     {"ts", "mpegts"},  {"vob", "vob"},      {"wav", "wav"},
        {"webm", "webm"},   {"wma", "asf"},    {"wmv", "asf"}};
    for (const auto& [ext, muxer] : muxers) {
        if (extension == ext)
            return muxer;
    }
    return {};
}

std::string unwrittenReason(const std::string& output, int error) {
    if (error == ENOSPC || error == EDQUOT)
        return "The disk is full: " + output + " could not be written.";
    return "Cannot write " + output + ": " + std::strerror(error) + ".";
}

OutputFile::~OutputFile() {
    // A partial name is taken back only while it still holds our file: someone may have
    // put another in its place.
    struct stat ours {
    }, named{};
    if (!kept_ && !partial_.empty() && fstat(fd_, &ours) == 0 &&
        fstatat(dirFd_, partial_.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        ours.st_dev == named.st_dev && ours.st_ino == named.st_ino)
        unlinkat(dirFd_, partial_.c_str(), 0);
    if (fd_ >= 0)
        close(fd_);
    if (dirFd_ >= 0)
        close(dirFd_);
}

bool OutputFile::open(const std::string& path, bool unnamed) {
    path_ = path;
    const std::size_t slash = path.rfind('/');
    folder_ = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    dirFd_ = ::open(folder_.empty() ? "." : folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd_ < 0)
        return false;
    if (unnamed) {
        fd_ = openat(dirFd_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
        if (fd_ >= 0)
            return true;
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT)
            return false;
    }
    // No unnamed files here: a hidden name of no media type, so that no scan takes it.
    const std::string base = path.substr(slash == std::string::npos ? 0 : slash + 1);
    std::random_device device;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "%08x", device());
        partial_ = "." + base + "." + tag + ".part";
        fd_ = openat(dirFd_, partial_.c_str(), O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW | O_CLOEXEC,
                     0666);
        if (fd_ >= 0 || errno != EEXIST)
            break;
    }
    if (fd_ >= 0)
        return true;
    partial_.clear();
    return false;
}

off_t OutputFile::size() const {
    struct stat info {};
    return fstat(fd_, &info) == 0 ? info.st_size : 0;
}

Args OutputFile::redirect(const ConvertCall& call, Args args) const {
    const auto output = std::find(args.rbegin(), args.rend(), literalPath(path_));
    if (output == args.rend())
        return args;
    *output = "file:" + DescriptorPath;
    const auto at = std::prev(output.base()) - args.begin();
    // The name no longer says what to write, so say it; the caller's own choice stands.
    const std::string extension = extensionOf(path_);
    const std::string muxer = muxerFor(extension);
    const std::optional<std::string> asked = outputOptionValue(call, {"-f"});
    Args said;
    if (!muxer.empty() && !asked && !hasOption(call, {"-target"}))
        said = {"-f", muxer};
    if (asked.value_or(muxer) == "image2" &&
        !hasOption(call, {"-vcodec", "-c", "-codec"}, {"-c:v", "-codec:v"}))
        said.insert(said.end(), {"-c:v", imageEncoder(extension)});
    args.insert(args.begin() + at, said.begin(), said.end());
    // The descriptor's file exists already; ffmpeg would otherwise refuse to write it.
    args.erase(std::remove(args.begin(), args.end(), "-n"), args.end());
    if (std::find(args.begin(), args.end(), "-y") == args.end())
        args.insert(args.begin(), "-y");
    return args;
}

std::string OutputFile::named(std::string text) const {
    for (const std::string& alias : {"file:" + DescriptorPath, DescriptorPath}) {
        for (std::size_t at = 0; (at = text.find(alias, at)) != std::string::npos;
             at += path_.size())
            text.replace(at, alias.size(), path_);
    }
    return text;
}

bool OutputFile::link(const std::string& name) {
    if (!partial_.empty()) {
        if (renameat2(dirFd_, partial_.c_str(), dirFd_, name.c_str(), RENAME_NOREPLACE) == 0)
            return true;
        if (errno != EINVAL && errno != ENOSYS)
            return false;
        // A file system without the no-replace rename: a hard link never replaces either.
        if (linkat(dirFd_, partial_.c_str(), dirFd_, name.c_str(), 0) == 0) {
            unlinkat(dirFd_, partial_.c_str(), 0);
            return true;
        }
        if (errno == EEXIST)
            return false;
        // Nor hard links (SMB): a name seen free is as close as such a folder comes.
        struct stat entry {};
        if (fstatat(dirFd_, name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) == 0) {
            errno = EEXIST;
            return false;
        }
        return renameat(dirFd_, partial_.c_str(), dirFd_, name.c_str()) == 0;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    if (linkat(AT_FDCWD, self.c_str(), dirFd_, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno != ENOENT)
        return false;
    // Without /proc only a privileged caller may link a descriptor in.
    return linkat(fd_, "", dirFd_, name.c_str(), AT_EMPTY_PATH) == 0;
}

std::optional<std::string> OutputFile::keep() {
    if (fsync(fd_) != 0)
        return std::nullopt;
    const std::string base = path_.substr(folder_.size());
    std::string stem = extensionFree(base);
    const std::string extension = extensionPart(base);
    // A name already numbered, as the program numbers one taken before the run, counts on.
    int n = 1;
    const std::size_t mark = stem.rfind('_');
    if (mark != std::string::npos && mark + 1 < stem.size() && stem.size() - mark <= 6 &&
        stem.find_first_not_of("0123456789", mark + 1) == std::string::npos) {
        n = std::stoi(stem.substr(mark + 1)) + 1;
        stem.resize(mark);
    }
    std::string name = base;
    for (const int last = n + 100000; n < last; ++n) {
        if (link(name)) {
            kept_ = true;
            fsync(dirFd_);
            return folder_ + name;
        }
        if (errno != EEXIST)
            return std::nullopt;
        name = stem + "_" + std::to_string(n) + extension;
    }
    errno = EEXIST;
    return std::nullopt;
}

} // namespace vc::tool
