#pragma once
// Files that appear together, whole, or not at all: the one way the program replaces files on
// disk (a PDF, a set of PNG pages). Each new content is written to a hidden file beside its
// target, then every target is put in place; on a failure every target is as it was.
//
// The rule for what may be replaced, the same for every kind of file:
// - a symbolic link is followed (the file it names is replaced and the link stays a link),
//   except a link of another user in a shared sticky folder such as /tmp, which the system
//   itself would not follow either;
// - a file is replaced only where this user may write it: a read-only file stays as it is,
//   even when the folder would allow replacing it; a folder, a device or a pipe is never
//   replaced;
// - the replaced file keeps its permissions (and its owner and group where the system allows);
//   a new file gets those the user's umask gives.
// Paths are in the system's encoding; messages are one line of English naming the target as
// it was given.
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace pelkano {

// The calls that put files in place, as link(2) and rename(2): 0, or -1 with errno set. Tests
// hand in ones that fail to see the set roll back.
struct FileCalls {
    std::function<int(const char* existing, const char* name)> link;
    std::function<int(const char* from, const char* to)> rename;
};
FileCalls systemFileCalls();

class FileSet {
public:
    explicit FileSet(FileCalls calls = systemFileCalls());
    FileSet(const FileSet&) = delete;
    FileSet& operator=(const FileSet&) = delete;
    // Removes every new content not put in place, and nothing else.
    ~FileSet();

    // Adds `target` to the set, checked against the rule above before anything is written.
    // Empty on success, else what stops it being written.
    std::string add(const std::string& target);
    std::size_t size() const { return entries_.size(); }

    // Creates the hidden file for the new content of file i, beside its target; the descriptor
    // stays the set's. Returns -1 with `error` set when it cannot be made.
    int create(std::size_t i, std::string& error);
    // Writes all of `data` to file i's new content (create() first).
    std::string write(std::size_t i, const char* data, std::size_t size);
    // The new content of file i is complete: it is made to reach the disk and closed, so
    // that a full disk or a failing device is found now, not after the file is in place.
    std::string finish(std::size_t i);

    // Puts every finished file in place of its target. On a failure every target is as it was
    // before and the result says what went wrong (and where an older file is kept, should one
    // not go back).
    std::string commit();

private:
    struct Entry {
        std::string given;     // the target as named, for messages
        std::string path;      // the file to replace, links followed
        bool existed = false;  // when added: its mode, owner and group are kept
        mode_t mode = 0;
        uid_t owner = 0;
        gid_t group = 0;
        dev_t device = 0;      // and which file it is
        ino_t inode = 0;
        std::string staged;    // the new content, until it is in place
        int fd = -1;
        bool finished = false;
        std::string backup;    // the older file, while the set is being put in place
        bool movedAside = false;  // the older file was renamed to `backup`, not linked
        bool placed = false;
        bool hadOld = false;
    };

    void removeStale(const std::string& folder);
    std::string keepOlder(Entry& e);
    std::string rollBack(std::size_t upTo);

    FileCalls calls_;
    std::vector<Entry> entries_;
    std::vector<std::string> cleanedFolders_;
};

}  // namespace pelkano
