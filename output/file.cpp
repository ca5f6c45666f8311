// Files written whole. Start at write_whole: it resolves what path is now, then writes a
// temporary file and renames it into place, or writes straight into a device or FIFO.
#include "file.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "args.h"

namespace {

enum Kind { NEW, REGULAR, SPECIAL };

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
  if (!S_ISREG(t->st.st_mode)) {
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

// 0 when all of text is written, else the error number.
int write_all(int fd, const std::string &text) {
  for (size_t at = 0; at < text.size();) {
    ssize_t n = write(fd, text.data() + at, text.size() - at);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    at += size_t(n);
  }
  return 0;
}

// Into a device, FIFO or socket as it stands: opened, written once, closed. 0 or an errno.
int write_into(const Target &t, const std::string &text) {
  int fd = open(t.path.c_str(), O_WRONLY | O_NOCTTY);
  if (fd < 0) return errno;
  int err = write_all(fd, text);
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
  int err = fchmod(fd, mode) == 0 ? write_all(fd, text) : errno;
  if (close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && rename(temp.c_str(), t.path.c_str()) != 0) err = errno;
  if (err != 0) unlink(temp.c_str());
  return err;
}

} // namespace

bool check_writable(const std::string &path, std::string *error) {
  Target t;
  if (!resolve(path, &t, error)) return false;
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
  // No interruption between making the temporary file and renaming it, and a file-size limit
  // fails the write (EFBIG) rather than killing the tool with the temporary file left behind.
  sigset_t quiet, old;
  sigemptyset(&quiet);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&quiet, sig);
  sigprocmask(SIG_BLOCK, &quiet, &old);
  struct sigaction ignore = {}, was;
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &was);
  int err = t.kind == SPECIAL ? write_into(t, text) : replace(t, text);
  if (err != 0) *error = failure(path, strerror(err));
  sigaction(SIGXFSZ, &was, nullptr);
  sigprocmask(SIG_SETMASK, &old, nullptr);
  return err == 0;
}
