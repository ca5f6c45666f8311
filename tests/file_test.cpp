// Writing a file whole: what each kind of path becomes, and what a failure leaves. In process
// for the rules, through nuv-survey for the paths a user gives it.
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "file.h"
#include "folder.h"
#include "run.h"

namespace {

class File : public InFolder {
protected:
  std::string contents(const std::string &path) { return run("cat " + path).out; }
};

mode_t mode_of(const std::string &path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

TEST_F(File, ARegularFileIsReplacedWholeAndKeepsItsPermissions) {
  const std::string path = dir + "/x.svg";
  std::string error;
  ASSERT_TRUE(write_whole(path, "new\n", &error)) << error;
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(mode_of(path) & 0777, 0666 & ~mask);
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  ASSERT_TRUE(write_whole(path, "again\n", &error)) << error;
  EXPECT_EQ(contents(path), "again\n");
  EXPECT_EQ(mode_of(path) & 07777, 0600u);
  // Any name the folder takes: 255 bytes, the longest a name can be.
  const std::string longest = dir + "/" + std::string(251, 'n') + ".svg";
  EXPECT_TRUE(check_writable(longest, &error) && write_whole(longest, "x", &error)) << error;
  EXPECT_EQ(files(), std::string(251, 'n') + ".svg\nx.svg\n");
}

TEST_F(File, ALinkIsFollowedAndStaysALink) {
  ASSERT_EQ(run("mkdir " + dir + "/real && echo old >" + dir + "/real/x.svg && ln -s real/x.svg " +
                dir + "/link.svg && ln -s nowhere " + dir + "/dangling.svg")
                .status,
            0);
  std::string error;
  ASSERT_TRUE(write_whole(dir + "/link.svg", "new\n", &error)) << error;
  EXPECT_TRUE(S_ISLNK(mode_of(dir + "/link.svg")));
  EXPECT_EQ(contents(dir + "/real/x.svg"), "new\n");
  EXPECT_EQ(run("ls -A " + dir + "/real").out, "x.svg\n");
  // A dangling link or a folder is refused before any run, naming the path.
  for (const char *name : {"/dangling.svg", "/real"}) {
    Ran r = run(std::string(SURVEY) + " --svg " + dir + name + " --seeds 1:2 1 1 1");
    EXPECT_EQ(r.status, 1) << name;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("nuv-survey: cannot write '" + dir + name + "': it is a ", 0), 0u)
        << r.err;
  }
  EXPECT_EQ(run("readlink " + dir + "/dangling.svg").out, "nowhere\n");
}

TEST_F(File, ADeviceOrFifoIsWrittenIntoAndNeverReplaced) {
  const std::string fifo = dir + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::string read_back;
  std::thread reader([&] { read_back = contents(fifo); });
  std::string error;
  EXPECT_TRUE(write_whole(fifo, "through the fifo\n", &error)) << error;
  reader.join();
  EXPECT_EQ(read_back, "through the fifo\n");
  EXPECT_TRUE(S_ISFIFO(mode_of(fifo)));
  EXPECT_TRUE(write_whole("/dev/null", "gone\n", &error)) << error;
  EXPECT_TRUE(S_ISCHR(mode_of("/dev/null")));
  // The survey's picture down a pipeline, after its summary.
  Ran r = run(std::string(SURVEY) + " --seeds 1:3 --svg /dev/stdout 1 1 1 | cat");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("optimal tour 1-4-3-2-9-8-7-6-5", 0), 0u);
  EXPECT_NE(r.out.find("<svg "), std::string::npos);
  EXPECT_EQ(r.out.substr(r.out.size() - 7), "</svg>\n");
}

TEST_F(File, ThePictureFollowsTheTextWhenItIsStandardOutputsFile) {
  // Standard output redirected to a file, and the picture sent to the same file: the text stays,
  // the picture comes after it, whether the file was truncated or appended to.
  const std::string out = dir + "/out.txt";
  Ran r = run(std::string(TRACE) + " --svg /dev/stdout 1 1 1 5 >" + out);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string text = run(std::string(TRACE) + " 1 1 1 5").out;
  const std::string both = contents(out);
  EXPECT_EQ(both.substr(0, text.size()), text);
  EXPECT_EQ(both.substr(text.size(), 5), "<?xml");
  ASSERT_EQ(run("echo kept >" + dir + "/log").status, 0);
  r = run(std::string(SURVEY) + " --seeds 1:5 --svg " + dir + "/log 1 1 2 >>" + dir + "/log");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = lines_of(contents(dir + "/log"));
  ASSERT_GT(lines.size(), 4u);
  EXPECT_EQ(lines[0], "kept");
  EXPECT_EQ(lines[1].rfind("optimal tour", 0), 0u);
  EXPECT_EQ(lines.back(), "</svg>");
  EXPECT_EQ(files(), "log\nout.txt\n");
}

// Starts argv with every signal at its default, as a shell's foreground job has them.
pid_t start(const std::vector<std::string> &argv) {
  pid_t pid = fork();
  if (pid == 0) {
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) signal(sig, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    std::vector<char *> args;
    for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  return pid;
}

// Where the kernel has process pid waiting (its wchan): "wait_for_partner" while it opens a FIFO
// that has no reader.
std::string waiting_on(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/wchan");
  std::string where;
  std::getline(in, where);
  return where;
}

TEST_F(File, ASignalEndsAToolWaitingOnAFifo) {
  // No reader ever comes: the tool waits to open the FIFO, and a signal must still end it, by
  // that signal, leaving the FIFO as it was and no temporary file.
  const std::string fifo = dir + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    for (const auto &argv : {std::vector<std::string>{TRACE, "--svg", fifo, "1", "1", "1", "5"},
                             {SURVEY, "--seeds", "1:20", "--svg", fifo, "1", "1", "1"}}) {
      pid_t pid = start(argv);
      ASSERT_GT(pid, 0);
      // Until the kernel says it waits for the FIFO's reader: a survey's runs end first, and a
      // signal during them stops the survey its own way. At most about 30 s.
      for (int tries = 0; tries < 3000 && waiting_on(pid) != "wait_for_partner"; tries++)
        usleep(10000);
      kill(pid, sig);
      int status;
      ASSERT_EQ(waitpid(pid, &status, 0), pid);
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << argv[0] << " " << sig;
    }
  }
  EXPECT_TRUE(S_ISFIFO(mode_of(fifo)));
  EXPECT_EQ(files(), "fifo\n");
}

TEST_F(File, ASocketIsRefusedBeforeAnyRun) {
  const std::string path = dir + "/socket";
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  ASSERT_LT(path.size(), sizeof address.sun_path);
  path.copy(address.sun_path, path.size());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
  Ran traced = run(std::string(TRACE) + " --svg " + path + " 1 1 1 5");
  EXPECT_EQ(traced.status, 1);
  EXPECT_EQ(traced.out, "");
  EXPECT_EQ(traced.err, "nuv-trace: cannot write '" + path + "': it is a socket\n");
  Ran r = run(std::string(SURVEY) + " --seeds 1:2 --svg " + path + " 1 1 1");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "nuv-survey: cannot write '" + path + "': it is a socket\n");
  close(fd);
}

TEST_F(File, AFileSizeLimitFailsTheWriteAndLeavesNothing) {
  Ran r = run("ulimit -f 1; exec " + std::string(SURVEY) + " --svg " + dir +
              "/x.svg --seeds 1:20 1 0:2:0.1 0:2:0.1 >/dev/null");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("x.svg': File too large"), std::string::npos) << r.err;
  EXPECT_EQ(files(), "");
}

} // namespace
