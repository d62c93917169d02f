#include "FileSet.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <random>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelkano {

namespace {

// Links followed before a name counts as a loop, as the system counts them.
constexpr int kMaxLinks = 40;
// Bytes of a target's name kept in the names of its hidden files, which must stay within the
// folder's limit (255) with the process number, a random tag and the suffix.
constexpr std::size_t kKeptNameBytes = 200;
// Hidden files: ".<name>.<process>.<tag>" and one of these.
constexpr const char* kStagedSuffix = ".pelkano";
constexpr const char* kOlderSuffix = ".pelkano-old";
constexpr int kNameAttempts = 100;

std::string reason(int error)
{
    return std::strerror(error);
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The first bytes of a name, cut before a UTF-8 continuation byte, never inside a character.
std::string keptName(const std::string& name)
{
    if (name.size() <= kKeptNameBytes)
        return name;
    std::size_t cut = kKeptNameBytes;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0u) == 0x80u)
        --cut;
    return name.substr(0, cut);
}

std::string randomTag()
{
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 engine{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kChars - 2);
    std::string tag(6, '0');
    for (char& c : tag)
        c = kChars[pick(engine)];
    return tag;
}

// "<folder>/.<name>.<process>." for the hidden files of `path`.
std::string hiddenStem(const std::string& path)
{
    return folderOf(path) + "/." + keptName(nameOf(path)) + '.' + std::to_string(::getpid()) + '.';
}

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The process that made a hidden new content `name` (".<name>.<process>.<tag>.pelkano"),
// or 0 when the name is not one.
pid_t makerOf(const std::string& name)
{
    if (name.empty() || name[0] != '.' || !endsWith(name, kStagedSuffix))
        return 0;
    const std::string stem = name.substr(0, name.size() - std::strlen(kStagedSuffix));
    const std::size_t tagDot = stem.find_last_of('.');
    if (tagDot == std::string::npos || tagDot == 0 || stem.size() - tagDot - 1 != 6)
        return 0;
    for (std::size_t k = tagDot + 1; k < stem.size(); ++k)
        if (!std::isalnum(static_cast<unsigned char>(stem[k])))
            return 0;
    const std::size_t pidDot = stem.find_last_of('.', tagDot - 1);
    if (pidDot == std::string::npos || pidDot == 0 || tagDot - pidDot - 1 < 1 || tagDot - pidDot - 1 > 9)
        return 0;
    long pid = 0;
    for (std::size_t k = pidDot + 1; k < tagDot; ++k) {
        if (!std::isdigit(static_cast<unsigned char>(stem[k])))
            return 0;
        pid = pid * 10 + (stem[k] - '0');
    }
    return static_cast<pid_t>(pid);
}

// The target of a symbolic link, relative to the link's folder where it is relative.
bool linkTarget(const std::string& link, std::string& target)
{
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink(link.c_str(), buffer.data(), buffer.size());
        if (n < 0)
            return false;
        if (static_cast<std::size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(n));
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    target = !buffer.empty() && buffer[0] == '/' ? buffer : folderOf(link) + '/' + buffer;
    return true;
}

}  // namespace

FileCalls systemFileCalls()
{
    return {[](const char* existing, const char* name) { return ::link(existing, name); },
            [](const char* from, const char* to) { return ::rename(from, to); }};
}

FileSet::FileSet(FileCalls calls) : calls_(std::move(calls)) {}

FileSet::~FileSet()
{
    for (Entry& e : entries_) {
        if (e.fd >= 0)
            ::close(e.fd);
        if (!e.staged.empty())
            ::unlink(e.staged.c_str());
    }
}

std::string FileSet::add(const std::string& target)
{
    const auto refuse = [&target](const std::string& why) { return "cannot write " + target + ": " + why; };
    if (target.empty())
        return refuse(reason(ENOENT));
    Entry e;
    e.given = target;
    std::string path = target;
    for (int links = 0;; ++links) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            if (errno != ENOENT)
                return refuse(reason(errno));
            // A new file: its folder must be there and writable, and the name within its limit.
            const std::string folder = folderOf(path);
            struct stat dir {};
            if (::stat(folder.c_str(), &dir) != 0)
                return refuse(reason(errno));
            if (!S_ISDIR(dir.st_mode))
                return refuse(reason(ENOTDIR));
            if (::access(folder.c_str(), W_OK | X_OK) != 0)
                return refuse(reason(errno));
            const long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
            if (nameOf(path).size() > static_cast<std::size_t>(longest > 0 ? longest : 255))
                return refuse(reason(ENAMETOOLONG));
            break;
        }
        if (S_ISLNK(st.st_mode)) {
            if (links == kMaxLinks)
                return refuse(reason(ELOOP));
            // As the system's protected_symlinks: in a sticky folder that anyone may write, a
            // link is followed only when it is this user's or the folder owner's.
            struct stat dir {};
            if (::stat(folderOf(path).c_str(), &dir) == 0 && (dir.st_mode & S_ISVTX) && (dir.st_mode & S_IWOTH) &&
                st.st_uid != ::geteuid() && st.st_uid != dir.st_uid)
                return refuse("it is another user's link in a shared folder");
            if (!linkTarget(path, path))
                return refuse(reason(errno));
            continue;
        }
        if (S_ISDIR(st.st_mode))
            return refuse(reason(EISDIR));
        if (!S_ISREG(st.st_mode))
            return refuse("it is not a regular file");
        if (::access(path.c_str(), W_OK) != 0 || ::access(folderOf(path).c_str(), W_OK | X_OK) != 0)
            return refuse(reason(errno));
        e.existed = true;
        e.mode = st.st_mode & 0777;
        e.owner = st.st_uid;
        e.group = st.st_gid;
        e.device = st.st_dev;
        e.inode = st.st_ino;
        for (const Entry& other : entries_)
            if (other.existed && other.device == st.st_dev && other.inode == st.st_ino)
                return refuse("it is the same file as " + other.given);
        break;
    }
    for (const Entry& other : entries_)
        if (other.path == path)
            return refuse("it is the same file as " + other.given);
    e.path = std::move(path);
    entries_.push_back(std::move(e));
    return {};
}

int FileSet::create(std::size_t i, std::string& error)
{
    Entry& e = entries_.at(i);
    const std::string folder = folderOf(e.path);
    if (std::find(cleanedFolders_.begin(), cleanedFolders_.end(), folder) == cleanedFolders_.end()) {
        removeStale(folder);
        cleanedFolders_.push_back(folder);
    }
    // A new file is made with the mode the umask leaves of 0666; a replacement never with more
    // than the older file had, and then with exactly that.
    const mode_t mode = e.existed ? e.mode : 0666;
    const std::string stem = hiddenStem(e.path);
    for (int attempt = 0; attempt < kNameAttempts && e.fd < 0; ++attempt) {
        const std::string name = stem + randomTag() + kStagedSuffix;
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            e.fd = fd;
            e.staged = name;
        } else if (errno != EEXIST) {
            error = "cannot write " + e.given + ": " + reason(errno);
            return -1;
        }
    }
    if (e.fd < 0) {
        error = "cannot write " + e.given + ": " + reason(EEXIST);
        return -1;
    }
    if (e.existed) {
        // Owner and group where the system allows (another user's file becomes this user's).
        const bool owned = ::fchown(e.fd, e.owner, e.group) == 0 || ::fchown(e.fd, static_cast<uid_t>(-1), e.group) == 0;
        static_cast<void>(owned);
        if (::fchmod(e.fd, e.mode) != 0) {
            error = "cannot write " + e.given + ": " + reason(errno);
            return -1;
        }
    }
    return e.fd;
}

std::string FileSet::write(std::size_t i, const char* data, std::size_t size)
{
    Entry& e = entries_.at(i);
    while (size > 0) {
        const ssize_t n = ::write(e.fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return "cannot write " + e.given + ": " + reason(n < 0 ? errno : EIO);
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return {};
}

std::string FileSet::finish(std::size_t i)
{
    Entry& e = entries_.at(i);
    // Some systems report a full disk only here (delayed allocation, network folders).
    const bool synced = ::fdatasync(e.fd) == 0 || errno == EINVAL;
    const int syncError = errno;
    const bool closed = ::close(e.fd) == 0;
    const int closeError = errno;
    e.fd = -1;
    if (!synced)
        return "cannot write " + e.given + ": " + reason(syncError);
    if (!closed)
        return "cannot write " + e.given + ": " + reason(closeError);
    e.finished = true;
    return {};
}

std::string FileSet::keepOlder(Entry& e)
{
    // A second name for the older file: the target never goes missing, not even for a moment.
    const std::string stem = hiddenStem(e.path);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string name = stem + randomTag() + kOlderSuffix;
        if (calls_.link(e.path.c_str(), name.c_str()) == 0) {
            e.backup = name;
            return {};
        }
        if (errno != EEXIST)
            break;
    }
    // A folder without hard links (a FAT memory stick): the older file is moved aside instead.
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string name = stem + randomTag() + kOlderSuffix;
        struct stat st {};
        if (::lstat(name.c_str(), &st) == 0)
            continue;
        if (calls_.rename(e.path.c_str(), name.c_str()) != 0)
            return "cannot replace " + e.given + ": " + reason(errno);
        e.backup = name;
        e.movedAside = true;
        return {};
    }
    return "cannot replace " + e.given + ": " + reason(EEXIST);
}

std::string FileSet::commit()
{
    std::string error;
    std::size_t i = 0;
    for (; i < entries_.size(); ++i) {
        Entry& e = entries_[i];
        if (!e.finished) {
            error = "cannot write " + e.given + ": its content is not complete";
            break;
        }
        struct stat st {};
        e.hadOld = ::lstat(e.path.c_str(), &st) == 0;
        if (e.hadOld) {
            error = keepOlder(e);
            if (!error.empty())
                break;
        }
        if (calls_.rename(e.staged.c_str(), e.path.c_str()) != 0) {
            error = "cannot write " + e.given + ": " + reason(errno);
            break;
        }
        e.staged.clear();
        e.placed = true;
    }
    if (error.empty()) {
        for (Entry& e : entries_) {
            if (!e.backup.empty())
                ::unlink(e.backup.c_str());
            e.backup.clear();
        }
        return {};
    }
    return error + rollBack(i);
}

// Back to the state before, from the entry that failed down to the first: older files return,
// files this set made go. Says where an older file stays that could not go back.
std::string FileSet::rollBack(std::size_t upTo)
{
    std::string kept;
    for (std::size_t j = std::min(upTo + 1, entries_.size()); j-- > 0;) {
        Entry& e = entries_[j];
        if (e.backup.empty()) {
            if (e.placed && !e.hadOld)
                ::unlink(e.path.c_str());
        } else if (e.placed || e.movedAside) {
            if (calls_.rename(e.backup.c_str(), e.path.c_str()) == 0)
                e.backup.clear();
        } else {
            ::unlink(e.backup.c_str());
            e.backup.clear();
        }
        e.placed = false;
        if (!e.backup.empty())
            kept += "; the older " + e.given + " is kept as " + e.backup;
    }
    return kept;
}

// Removes the new contents that a run of this program left in `folder` when it was killed
// before it could clean up: this user's, of a process that is gone.
void FileSet::removeStale(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    const pid_t self = ::getpid();
    const uid_t user = ::geteuid();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const pid_t maker = makerOf(name);
        if (maker <= 0 || maker == self || ::kill(maker, 0) == 0 || errno != ESRCH)
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == user)
            ::unlinkat(::dirfd(dir), name.c_str(), 0);
    }
    ::closedir(dir);
}

}  // namespace pelkano
