#include "common/AtomicFile.h"

#include <atomic>
#include <csignal>
#include <dirent.h>
#include <mutex>
#include <set>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string reason(const std::string& path) {
    return path + ": " + std::strerror(errno);
}

void setError(std::string* error, std::string message) {
    if (error)
        *error = std::move(message);
}

// A link is followed so that the file it points at gets the new content.
std::string resolveTarget(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved))
        return resolved;
    return path;
}

std::string folderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string temporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    std::size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + base + ".tmp-" + std::to_string(getpid()) + "-" +
           std::to_string(counter.fetch_add(1));
}

/// Removes the temporary files an interrupted write of `target` left behind: names
/// ".<base>.tmp-<pid>-<n>" in its folder whose process is gone. Each target is swept once
/// per process, so a batch writing thousands of files does not read its folder each time.
void removeStaleTemporaries(const std::string& target) {
    static std::mutex mutex;
    static std::set<std::string> swept;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!swept.insert(target).second)
            return;
    }
    const std::size_t slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
    const std::string prefix =
        "." + (slash == std::string::npos ? target : target.substr(slash + 1)) + ".tmp-";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        char* end = nullptr;
        const long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
        if (pid <= 0 || *end != '-' || pid == long(getpid()))
            continue;
        if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            ::unlink((folder + "/" + name).c_str());
    }
    ::closedir(dir);
}

bool writeAll(int fd, const std::string& text) {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string kindOf(mode_t mode) {
    if (S_ISFIFO(mode))
        return "a pipe (FIFO)";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "a special file";
}

/// Where a replacement of `path` lands and what it must keep of the file it replaces.
struct Destination {
    std::string target; ///< `path`, or the file its link points at
    bool existed = false;
    mode_t mode = 0;
};

bool findDestination(const std::string& path, Destination& dest, std::string* error) {
    if (path.empty()) {
        setError(error, "cannot write a file without a name");
        return false;
    }
    dest.target = resolveTarget(path);
    struct stat old {};
    dest.existed = stat(dest.target.c_str(), &old) == 0;
    if (dest.existed && S_ISDIR(old.st_mode)) {
        errno = EISDIR;
        setError(error, reason(path));
        return false;
    }
    // Renaming over a pipe or a device would replace the special file with a plain one.
    if (dest.existed && !S_ISREG(old.st_mode)) {
        setError(error, path + ": cannot replace " + kindOf(old.st_mode) + ", only regular files");
        return false;
    }
    dest.mode = old.st_mode & 07777;
    return true;
}

// Make the rename itself durable; failure here loses nothing.
void syncFolder(const std::string& target) {
    int dir = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
}

} // namespace

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error,
                         FileSync sync) {
    Destination dest;
    if (!findDestination(path, dest, error))
        return false;
    removeStaleTemporaries(dest.target);

    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = temporaryName(dest.target);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        setError(error, reason(path));
        return false;
    }
    if (dest.existed)
        (void)fchmod(fd, dest.mode);

    bool ok = writeAll(fd, text) && (sync == FileSync::Quick || ::fsync(fd) == 0);
    int savedErrno = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && ::rename(temp.c_str(), dest.target.c_str()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        errno = savedErrno;
        setError(error, reason(path));
        return false;
    }
    if (sync == FileSync::Durable)
        syncFolder(dest.target);
    return true;
}

bool MoveFileOver(const std::string& from, const std::string& path, std::string* error) {
    Destination dest;
    if (!findDestination(path, dest, error)) {
        ::unlink(from.c_str());
        return false;
    }
    if (dest.existed)
        (void)::chmod(from.c_str(), dest.mode);
    if (::rename(from.c_str(), dest.target.c_str()) == 0)
        return true;
    if (errno != EXDEV) {
        const int savedErrno = errno;
        ::unlink(from.c_str());
        errno = savedErrno;
        setError(error, reason(path));
        return false;
    }
    // A link into another file system: the content is copied there instead.
    std::string text;
    const bool ok =
        ReadWholeFile(from, text, error) && WriteFileAtomically(path, text, error, FileSync::Quick);
    ::unlink(from.c_str());
    return ok;
}

bool ReadWholeFile(const std::string& path, std::string& out, std::string* error) {
    // Non-blocking, so that opening a FIFO with no writer does not wait forever; the
    // descriptor is refused below before anything is read from it.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        setError(error, reason(path));
        return false;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        setError(error, reason(path));
        ::close(fd);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        setError(error, reason(path));
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        setError(error, path + ": cannot read " + kindOf(info.st_mode) + ", only regular files");
        return false;
    }
    const std::string tooLarge = path + ": file is larger than the " +
                                 std::to_string(kMaxReadBytes >> 30) + " GiB read limit";
    if (std::uint64_t(info.st_size) > kMaxReadBytes) {
        ::close(fd);
        setError(error, tooLarge);
        return false;
    }
    std::string text;
    if (info.st_size > 0)
        text.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int savedErrno = errno;
            ::close(fd);
            errno = savedErrno;
            setError(error, reason(path));
            return false;
        }
        if (n == 0)
            break;
        // Files that report no size (kernel files) or grow while read stop at the cap too.
        if (text.size() + std::size_t(n) > kMaxReadBytes) {
            ::close(fd);
            setError(error, tooLarge);
            return false;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    out = std::move(text);
    return true;
}
