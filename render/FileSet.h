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
//
// A set is one unit even when the process is killed while it puts its files in place. Before
// the first target is touched, a journal (".set.<process>.<tag>.pelkano-set", written whole and
// flushed to disk) is left in every folder of the set, naming each target, its new content and
// the second name of its older file. Once every target is in place the journals are removed:
// that is the moment the new set counts; only then do the older files go. The next set written
// into such a folder first finds the journals of processes that are gone and rolls their sets
// back (every older file returns, every file new to the folder goes), then removes every hidden
// file such a process left: new contents, and older files whose set had counted.
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace pelkano {

// The calls that put files in place, as link(2), rename(2), unlink(2) and fdatasync(2): 0, or -1
// with errno set. Tests hand in ones that fail (to see the set roll back) or that stop the
// process (to see the next run tidy up). A call left empty is the system's.
struct FileCalls {
    std::function<int(const char* existing, const char* name)> link;
    std::function<int(const char* from, const char* to)> rename;
    std::function<int(const char* name)> unlink = {};
    std::function<int(int fd)> fdatasync = {};
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
        std::string backup;    // the older file's second name, while the set is being put in place
        bool kept = false;     // the older file has that name
        bool movedAside = false;  // the older file was renamed to `backup`, not linked
        bool placed = false;
        bool hadOld = false;
        dev_t stagedDevice = 0;  // which file the new content is, for a journal's roll back
        ino_t stagedInode = 0;
    };

    void removeStale(const std::string& folder);
    std::string keepOlder(Entry& e);
    std::string rollBack(std::size_t upTo);
    std::string writeJournals();
    void removeJournals();
    int sync(int fd) const;
    int unlink(const std::string& name) const;

    FileCalls calls_;
    std::vector<Entry> entries_;
    std::vector<std::string> cleanedFolders_;
    std::vector<std::string> journals_;
};

}  // namespace pelkano
