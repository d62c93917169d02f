#include "FileSet.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
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
constexpr const char* kJournalSuffix = ".pelkano-set";
constexpr const char* kJournalHead = "pelkano-set 1\n";
constexpr const char* kJournalEnd = "end\n";
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

// The process that made a hidden file `name` (".<name>.<process>.<tag><suffix>"), or 0 when
// the name is not one with that suffix.
pid_t makerOf(const std::string& name, const char* suffix)
{
    if (name.empty() || name[0] != '.' || !endsWith(name, suffix))
        return 0;
    const std::string stem = name.substr(0, name.size() - std::strlen(suffix));
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

// `path` from the root, so that a journal means the same from any working folder.
std::string absolute(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    char* here = ::getcwd(nullptr, 0);
    if (here == nullptr)
        return path;
    std::string whole = std::string(here) + '/' + path;
    std::free(here);
    return whole;
}

// A journal's text: each name as "<bytes>:<name>", so that any byte may be in a name.
void putName(std::string& out, const std::string& name)
{
    out += std::to_string(name.size()) + ':' + name + ' ';
}

struct JournalEntry {
    std::string target, staged, backup;  // backup empty: the target was new
    dev_t device = 0;                     // the new content's file
    ino_t inode = 0;
};

struct Journal {
    std::vector<JournalEntry> entries;
    std::vector<std::string> copies;  // the journal in every folder of the set
};

// Reads what putName and writeJournals wrote; false for a journal that is not whole (its
// process was stopped while writing it, before any target was touched).
bool readJournal(const std::string& path, Journal& journal)
{
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    char buffer[8192];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    if (text.rfind(kJournalHead, 0) != 0 || !endsWith(text, kJournalEnd))
        return false;
    std::size_t at = std::strlen(kJournalHead);
    const auto number = [&](unsigned long long& value) {
        const std::size_t start = at;
        value = 0;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) && at - start < 20)
            value = value * 10 + static_cast<unsigned long long>(text[at++] - '0');
        return at > start && at < text.size() && (text[at] == ' ' || text[at] == ':' || text[at] == '\n') && ++at;
    };
    const auto name = [&](std::string& value) {
        unsigned long long size = 0;
        if (!number(size) || text[at - 1] != ':' || size > text.size() - at)
            return false;
        value = text.substr(at, size);
        at += size;
        return at < text.size() && text[at++] == ' ';
    };
    unsigned long long count = 0;
    if (!number(count))
        return false;
    for (unsigned long long k = 0; k < count; ++k) {
        JournalEntry e;
        unsigned long long device = 0, inode = 0;
        if (!name(e.target) || !name(e.staged) || !name(e.backup) || !number(device) || !number(inode))
            return false;
        e.device = static_cast<dev_t>(device);
        e.inode = static_cast<ino_t>(inode);
        journal.entries.push_back(std::move(e));
    }
    if (!number(count))
        return false;
    for (unsigned long long k = 0; k < count; ++k) {
        std::string copy;
        if (!name(copy))
            return false;
        journal.copies.push_back(std::move(copy));
    }
    return true;
}

// Rolls back the set of a process that was stopped while putting it in place, from its
// journal: every older file returns, every file new to its folder goes. Done again after a
// second stop, it finds what is left to do. False when an older file could not go back: the
// journal then stays for the next run, and so do the older files.
bool rollBackJournal(const std::string& path)
{
    Journal journal;
    if (!readJournal(path, journal)) {
        ::unlink(path.c_str());
        return true;
    }
    bool whole = true;
    for (auto e = journal.entries.rbegin(); e != journal.entries.rend(); ++e) {
        struct stat target {}, older {}, staged {};
        const bool hasTarget = ::lstat(e->target.c_str(), &target) == 0;
        if (!e->backup.empty() && ::lstat(e->backup.c_str(), &older) == 0) {
            if (hasTarget && target.st_dev == older.st_dev && target.st_ino == older.st_ino)
                ::unlink(e->backup.c_str());  // the second name was made, the target not yet replaced
            else if (::rename(e->backup.c_str(), e->target.c_str()) != 0)
                whole = false;
        } else if (e->backup.empty() && hasTarget && target.st_dev == e->device && target.st_ino == e->inode) {
            ::unlink(e->target.c_str());
        }
        if (::lstat(e->staged.c_str(), &staged) == 0)
            ::unlink(e->staged.c_str());
    }
    if (whole)
        for (const std::string& copy : journal.copies)
            ::unlink(copy.c_str());
    return whole;
}

void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

FileCalls systemFileCalls()
{
    return {[](const char* existing, const char* name) { return ::link(existing, name); },
            [](const char* from, const char* to) { return ::rename(from, to); },
            [](const char* name) { return ::unlink(name); }, [](int fd) { return ::fdatasync(fd); }};
}

int FileSet::sync(int fd) const
{
    return calls_.fdatasync ? calls_.fdatasync(fd) : ::fdatasync(fd);
}

int FileSet::unlink(const std::string& name) const
{
    return calls_.unlink ? calls_.unlink(name.c_str()) : ::unlink(name.c_str());
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
            struct stat st {};
            if (::fstat(fd, &st) == 0) {
                e.stagedDevice = st.st_dev;
                e.stagedInode = st.st_ino;
            }
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
    const bool synced = sync(e.fd) == 0 || errno == EINVAL;
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
    // A second name for the older file, named in the journal: the target never goes missing,
    // not even for a moment.
    if (calls_.link(e.path.c_str(), e.backup.c_str()) == 0) {
        e.kept = true;
        return {};
    }
    if (errno == EEXIST)
        return "cannot replace " + e.given + ": " + reason(EEXIST);
    // A folder without hard links (a FAT memory stick): the older file is moved aside instead.
    if (calls_.rename(e.path.c_str(), e.backup.c_str()) != 0)
        return "cannot replace " + e.given + ": " + reason(errno);
    e.kept = true;
    e.movedAside = true;
    return {};
}

// A journal in every folder of the set, each naming every file of the set and every journal,
// whole on the disk before the first target is touched.
std::string FileSet::writeJournals()
{
    std::vector<std::string> folders;
    std::vector<const Entry*> firsts;
    for (const Entry& e : entries_)
        if (std::find(folders.begin(), folders.end(), folderOf(e.path)) == folders.end()) {
            folders.push_back(folderOf(e.path));
            firsts.push_back(&e);
        }
    std::vector<int> fds;
    std::string error;
    for (std::size_t f = 0; f < folders.size() && error.empty(); ++f) {
        const std::string stem = folders[f] + "/.set." + std::to_string(::getpid()) + '.';
        int fd = -1;
        for (int attempt = 0; attempt < kNameAttempts && fd < 0; ++attempt) {
            const std::string name = stem + randomTag() + kJournalSuffix;
            fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd >= 0)
                journals_.push_back(name);
            else if (errno != EEXIST)
                break;
        }
        if (fd < 0)
            error = "cannot write " + firsts[f]->given + ": " + reason(errno);
        else
            fds.push_back(fd);
    }
    std::string text = kJournalHead;
    text += std::to_string(entries_.size()) + '\n';
    for (const Entry& e : entries_) {
        putName(text, absolute(e.path));
        putName(text, absolute(e.staged));
        putName(text, e.hadOld ? absolute(e.backup) : std::string());
        text += std::to_string(e.stagedDevice) + ' ' + std::to_string(e.stagedInode) + '\n';
    }
    text += std::to_string(journals_.size()) + '\n';
    for (const std::string& journal : journals_)
        putName(text, absolute(journal));
    text += kJournalEnd;
    for (std::size_t f = 0; f < fds.size(); ++f) {
        const char* data = text.data();
        std::size_t left = text.size();
        while (left > 0 && error.empty()) {
            const ssize_t n = ::write(fds[f], data, left);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                error = "cannot write " + firsts[f]->given + ": " + reason(n < 0 ? errno : EIO);
            else {
                data += n;
                left -= static_cast<std::size_t>(n);
            }
        }
        if (error.empty() && sync(fds[f]) != 0 && errno != EINVAL)
            error = "cannot write " + firsts[f]->given + ": " + reason(errno);
        ::close(fds[f]);
    }
    for (const std::string& folder : folders)
        syncFolder(folder);
    return error;
}

void FileSet::removeJournals()
{
    for (const std::string& journal : journals_)
        unlink(journal);
    journals_.clear();
}

std::string FileSet::commit()
{
    for (const Entry& e : entries_)
        if (!e.finished)
            return "cannot write " + e.given + ": its content is not complete";
    for (Entry& e : entries_) {
        struct stat st {};
        e.hadOld = ::lstat(e.path.c_str(), &st) == 0;
        if (e.hadOld)
            e.backup = hiddenStem(e.path) + randomTag() + kOlderSuffix;
    }
    std::string error = writeJournals();
    if (!error.empty()) {
        removeJournals();
        return error;
    }
    std::size_t i = 0;
    for (; i < entries_.size(); ++i) {
        Entry& e = entries_[i];
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
        // The new set counts from here; a stop before the older files are gone leaves only
        // hidden files that the next run removes.
        removeJournals();
        for (Entry& e : entries_) {
            if (e.kept)
                unlink(e.backup);
            e.kept = false;
        }
        return {};
    }
    const std::string kept = rollBack(i);
    if (kept.empty())
        removeJournals();  // else the journals stay: the next run puts the older files back
    return error + kept;
}

// Back to the state before, from the entry that failed down to the first: older files return,
// files this set made go. Says where an older file stays that could not go back.
std::string FileSet::rollBack(std::size_t upTo)
{
    std::string kept;
    for (std::size_t j = std::min(upTo + 1, entries_.size()); j-- > 0;) {
        Entry& e = entries_[j];
        if (!e.kept) {
            if (e.placed && !e.hadOld)
                ::unlink(e.path.c_str());
        } else if (e.placed || e.movedAside) {
            if (calls_.rename(e.backup.c_str(), e.path.c_str()) == 0)
                e.kept = false;
        } else {
            ::unlink(e.backup.c_str());
            e.kept = false;
        }
        e.placed = false;
        if (e.kept)
            kept += "; the older " + e.given + " is kept as " + e.backup;
    }
    return kept;
}

// Tidies what runs of this program left in `folder` when they were killed before they could:
// this user's hidden files of a process that is gone. A set stopped while being put in place
// goes back to its older files first (its journal says how).
void FileSet::removeStale(const std::string& folder)
{
    const pid_t self = ::getpid();
    const uid_t user = ::geteuid();
    // The hidden files of `suffix` in the folder that a process now gone left, this user's.
    const auto leftOver = [&](const char* suffix) {
        std::vector<std::string> names;
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr)
            return names;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            const pid_t maker = makerOf(name, suffix);
            if (maker <= 0 || maker == self || ::kill(maker, 0) == 0 || errno != ESRCH)
                continue;
            struct stat st {};
            if (::fstatat(::dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
                st.st_uid == user)
                names.push_back(folder + '/' + name);
        }
        ::closedir(dir);
        return names;
    };
    bool setsBack = true;
    for (const std::string& journal : leftOver(kJournalSuffix))
        setsBack = rollBackJournal(journal) && setsBack;
    for (const std::string& name : leftOver(kStagedSuffix))
        ::unlink(name.c_str());
    if (setsBack)
        for (const std::string& name : leftOver(kOlderSuffix))
            ::unlink(name.c_str());
}

}  // namespace pelkano
