// Files written whole. Start at write_whole: it resolves what path is now, then writes a
// temporary file and renames it into place, or writes straight into a device or FIFO.
#include "file.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "args.h"

namespace {

enum Kind { NEW, REGULAR, SPECIAL, STANDARD_OUTPUT };

// What a path names once links are followed.
struct Target {
  std::string path; // the file itself, links resolved
  Kind kind;
  struct stat st; // of an existing file
};

std::string failure(const std::string &path, const std::string &why) {
  return "cannot write " + quoted(path) + ": " + why;
}

bool resolve(const std::string &path, Target *t, std::string *error) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) {
    if (errno != ENOENT) return *error = failure(path, strerror(errno)), false;
    *t = {path, NEW, {}};
    return true;
  }
  *t = {path, REGULAR, st};
  if (S_ISLNK(st.st_mode) && stat(path.c_str(), &t->st) != 0)
    return *error = failure(path, errno == ENOENT ? "it is a dangling link" : strerror(errno)),
           false;
  if (S_ISDIR(t->st.st_mode)) return *error = failure(path, "it is a folder"), false;
  if (S_ISSOCK(t->st.st_mode)) return *error = failure(path, "it is a socket"), false;
  struct stat out;
  if (fstat(STDOUT_FILENO, &out) == 0 && out.st_dev == t->st.st_dev && out.st_ino == t->st.st_ino) {
    t->kind = STANDARD_OUTPUT; // the very file the text goes to: after it, never over it
  } else if (!S_ISREG(t->st.st_mode)) {
    t->kind = SPECIAL; // opened through the link, as it stands
  } else if (S_ISLNK(st.st_mode)) {
    // The file the link ends at is replaced in its own folder.
    char real[PATH_MAX];
    if (!realpath(path.c_str(), real)) return *error = failure(path, strerror(errno)), false;
    t->path = real;
  }
  return true;
}

// A short hidden name in the target's folder, so that any name that fits there, fits.
std::string temp_beside(const std::string &path) {
  size_t slash = path.rfind('/');
  return (slash == std::string::npos ? "" : path.substr(0, slash + 1)) + ".nuvXXXXXX";
}

// Into a device or FIFO as it stands: opened, written once, closed; or after what standard
// output holds, when that is the file. 0 or an errno.
int write_into(const Target &t, const std::string &text) {
  if (t.kind == STANDARD_OUTPUT)
    return fflush(stdout) == 0 ? write_all(STDOUT_FILENO, text.data(), text.size()) : errno;
  int fd = open(t.path.c_str(), O_WRONLY | O_NOCTTY);
  if (fd < 0) return errno;
  int err = write_all(fd, text.data(), text.size());
  if (close(fd) != 0 && err == 0) err = errno;
  return err;
}

// Through a temporary file beside the target, renamed over it: the old file or the new one,
// never a part. A replaced file keeps its owner (where allowed) and permission bits. 0 or an
// errno; the temporary file is gone either way.
int replace(const Target &t, const std::string &text) {
  std::string temp = temp_beside(t.path);
  int fd = mkstemp(temp.data());
  if (fd < 0) return errno;
  mode_t mode = umask(0);
  umask(mode);
  mode = 0666 & ~mode;
  if (t.kind == REGULAR) {
    mode = t.st.st_mode & 07777;
    if (fchown(fd, t.st.st_uid, t.st.st_gid) != 0) {
      // Not ours to give away: the new file stays ours.
    }
  }
  int err = fchmod(fd, mode) == 0 ? write_all(fd, text.data(), text.size()) : errno;
  if (close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && rename(temp.c_str(), t.path.c_str()) != 0) err = errno;
  if (err != 0) unlink(temp.c_str());
  return err;
}

} // namespace

int write_all(int fd, const void *data, size_t size) {
  for (const char *p = static_cast<const char *>(data); size > 0;) {
    ssize_t n = write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    p += n, size -= size_t(n);
  }
  return 0;
}

bool check_writable(const std::string &path, std::string *error) {
  Target t;
  if (!resolve(path, &t, error)) return false;
  if (t.kind == STANDARD_OUTPUT) return true;
  if (t.kind == SPECIAL) {
    if (access(t.path.c_str(), W_OK) == 0) return true;
    return *error = failure(path, strerror(errno)), false;
  }
  std::string temp = temp_beside(t.path);
  int fd = mkstemp(temp.data());
  if (fd < 0) return *error = failure(path, strerror(errno)), false;
  close(fd);
  unlink(temp.c_str());
  return true;
}

bool write_whole(const std::string &path, const std::string &text, std::string *error) {
  Target t;
  if (!resolve(path, &t, error)) return false;
  // A file-size limit fails the write (EFBIG) rather than killing the tool. A device or FIFO
  // may keep the tool waiting for a reader: any signal may end it there, with nothing to clean
  // up. A regular file is written through a temporary one: no interruption between making it
  // and renaming it, so that none is left behind.
  struct sigaction ignore = {}, was;
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &was);
  int err;
  if (t.kind == SPECIAL || t.kind == STANDARD_OUTPUT) {
    err = write_into(t, text);
  } else {
    sigset_t quiet, old;
    sigemptyset(&quiet);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&quiet, sig);
    sigprocmask(SIG_BLOCK, &quiet, &old);
    err = replace(t, text);
    sigprocmask(SIG_SETMASK, &old, nullptr);
  }
  if (err != 0) *error = failure(path, strerror(err));
  sigaction(SIGXFSZ, &was, nullptr);
  return err == 0;
}
