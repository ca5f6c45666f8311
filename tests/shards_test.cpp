// Surveys in shards: shards run side by side by xargs -P and merged print what one process
// prints, in every view and for a member of the family; and a merge refuses, printing nothing,
// shards that are missing, doubled, of another plan, cut short or altered.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "folder.h"
#include "run.h"

namespace {

class Shards : public InFolder {
protected:
  // Runs the plan in m shards, two at a time, into the folder; their paths.
  std::string shard(const std::string &plan, int m, const std::string &name = "s") {
    Ran r = run("seq 0 " + std::to_string(m - 1) + " | xargs -P 2 -I{} " + SURVEY +
                " --jobs 1 --shard {}/" + std::to_string(m) + " -o " + dir + "/" + name +
                "{}.csv " + plan);
    EXPECT_EQ(r.status, 0) << r.err;
    return dir + "/" + name + "*.csv";
  }
  Ran survey(const std::string &args) { return run(std::string(SURVEY) + " " + args); }
};

TEST_F(Shards, MergedTheyPrintWhatOneProcessPrintsInEveryView) {
  const std::string plan = "--seeds 1:150 1 0.5:1.5:0.5 1:2:0.5";
  const std::string files = shard(plan, 5);
  for (const char *view : {"", "--csv", "--tours", "--tours --csv"}) {
    Ran whole = survey(std::string(view) + " " + plan),
        merged = survey("--merge " + std::string(view) + " " + files);
    EXPECT_EQ(merged.status, 0) << view << merged.err;
    EXPECT_EQ(merged.out, whole.out) << view;
  }
  // Pictures drawn again from the shards: the same but for the <desc>, which says the merge.
  ASSERT_EQ(survey("--svg " + dir + "/w.svg " + plan).status, 0);
  ASSERT_EQ(survey("--merge --heat ratio --svg " + dir + "/m.svg " + files).status, 0);
  ASSERT_EQ(survey("--heat ratio --svg " + dir + "/w.svg " + plan).status, 0);
  EXPECT_EQ(run("grep -v '<desc>' " + dir + "/w.svg | md5sum").out,
            run("grep -v '<desc>' " + dir + "/m.svg | md5sum").out);
  // A whole survey's CSV merges too, given its plan.
  ASSERT_EQ(run(std::string(SURVEY) + " --csv " + plan + " > " + dir + "/whole.csv").status, 0);
  EXPECT_EQ(
      survey("--merge --plan '--seeds 1:150 -- 1 0.5:1.5:0.5 1:2:0.5' " + dir + "/whole.csv").out,
      survey(plan).out);
  // Shards of a member of the family, C ranging.
  const std::string family = "--seeds 1:30 --cities random:11:4 --rule sync --C 0:1:0.5 1 1 1";
  const std::string more = shard(family, 3, "f");
  EXPECT_EQ(survey("--merge --csv " + more).out, survey("--csv " + family).out);
}

// 64-bit FNV-1a of size bytes, as the end line's checksum and the instance's digest are
// documented.
uint64_t fnv1a(const void *data, size_t size, uint64_t hash = 14695981039346656037u) {
  for (size_t k = 0; k < size; k++)
    hash = (hash ^ static_cast<const unsigned char *>(data)[k]) * 1099511628211u;
  return hash;
}
uint64_t fnv1a(const std::string &text) {
  return fnv1a(text.data(), text.size());
}

// A file's lines made whole again with an end line that matches them: what someone who edits a
// shard and knows its checksum writes.
std::string with_end_line(const std::vector<std::string> &lines) {
  std::string text;
  for (const std::string &line : lines) text += line + "\n";
  char end[80];
  snprintf(end, sizeof end, "# end: %zu rows, checksum %016llx\n", lines.size() - 2,
           (unsigned long long)fnv1a(text));
  return text + end;
}

TEST_F(Shards, AMergeReadsItsRunsFromTheShardsAndOnlyFromThem) {
  // A row changed by hand and its end line made again: the merge prints the changed row, so it
  // read the shard, not the survey again; and the checksum is FNV-1a over the rows' bytes.
  const std::string plan = "--seeds 1:20 1 1 1";
  shard(plan, 2);
  auto lines = lines_of(run("cat " + dir + "/s1.csv").out);
  ASSERT_EQ(lines.size(), 13u); // head, header, 10 rows, end
  auto f = fields_of(lines[5]);
  f[8] = "123.456789"; // the energy
  std::string row;
  for (size_t k = 0; k < f.size(); k++) row += (k ? "," : "") + f[k];
  lines[5] = row;
  // The checksum covers every byte before the end line: the head and the header too.
  lines.pop_back();
  const std::string text = with_end_line(lines);
  EXPECT_EQ(lines[0].substr(0, 45), "# nuv-survey 1.0 shard 1/2 runs 10-19 of 20, ");
  ASSERT_EQ(run("cat > " + dir + "/s1.csv <<'EOF'\n" + text + "EOF").status, 0);
  Ran merged = survey("--merge --csv " + dir + "/s0.csv " + dir + "/s1.csv");
  ASSERT_EQ(merged.status, 0) << merged.err;
  EXPECT_NE(merged.out.find("," + row.substr(row.find(',') + 1) + "\n"), std::string::npos);
  EXPECT_NE(merged.out, survey("--csv " + plan).out);
}

TEST_F(Shards, AMergeRefusesWhatIsNotTheWholePlanOnceAndPrintsNothing) {
  const std::string plan = "--seeds 1:100 1 1 1:2:1";
  shard(plan, 4);
  const std::string s = dir + "/s";
  ASSERT_EQ(survey("--shard 0/4 -o " + dir + "/other.csv --seeds 1:101 1 1 1:2:1").status, 0);
  ASSERT_EQ(run("head -c 3000 " + s + "2.csv > " + dir + "/cut.csv").status, 0);
  ASSERT_EQ(run("head -n 30 " + s + "2.csv > " + dir + "/short.csv && tail -n 1 " + s +
                "2.csv >> " + dir + "/short.csv")
                .status,
            0);
  // An energy changed in its last digit: the row still reads, the end line no longer matches.
  ASSERT_EQ(run("sed -E '9s/,([0-9]+\\.[0-9]{5})[0-9],/,\\19,/' " + s + "2.csv > " + dir +
                "/energy.csv && ! cmp -s " + s + "2.csv " + dir + "/energy.csv")
                .status,
            0);
  const std::pair<std::string, std::string> bad[] = {
      {s + "0.csv " + s + "1.csv " + s + "3.csv",
       "runs 100 to 149 of the plan's 200 are in no file"},
      {s + "0.csv " + s + "1.csv " + s + "2.csv", "runs 150 to 199 of 200 are in no file"},
      {s + "0.csv " + s + "1.csv " + s + "1.csv " + s + "2.csv " + s + "3.csv", "is in two files"},
      {dir + "/other.csv " + s + "1.csv " + s + "2.csv " + s + "3.csv", "another plan"},
      {s + "0.csv " + s + "1.csv " + dir + "/cut.csv " + s + "3.csv", "cut.csv"},
      {s + "0.csv " + s + "1.csv " + dir + "/short.csv " + s + "3.csv", "short.csv"},
      {s + "0.csv " + s + "1.csv " + dir + "/energy.csv " + s + "3.csv", "energy.csv' is altered"},
      {dir + "/nowhere.csv", "nowhere.csv"},
  };
  for (const auto &[files, message] : bad) {
    Ran r = survey("--merge " + files);
    EXPECT_EQ(r.status, 2) << files;
    EXPECT_EQ(r.out, "") << files;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
  }
  // A shard is refused views that belong to the merge, and a bad K/M.
  for (const char *args : {"--shard 4/4", "--shard 1/0", "--shard 1", "--shard 0/2 --tours",
                           "-o x.csv", "--merge --shard 0/2"}) {
    Ran r = survey(std::string(args) + " " + plan);
    EXPECT_EQ(r.status, 2) << args;
  }
}

TEST_F(Shards, HeadsNameTheirRunsInclusiveAndTheirEndLineCoversThem) {
  // 2 runs in 4 shards: shard K holds runs floor(2K/4) to floor(2(K+1)/4) - 1, worked by hand.
  const std::string plan = "--seeds 1:2 1 1 1";
  shard(plan, 4);
  const char *const runs[] = {"runs none of 2", "runs 0-0 of 2", "runs none of 2", "runs 1-1 of 2"};
  for (int k = 0; k < 4; k++) {
    auto lines = lines_of(run("cat " + dir + "/s" + std::to_string(k) + ".csv").out);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 27 + strlen(runs[k])),
              "# nuv-survey 1.0 shard " + std::to_string(k) + "/4 " + runs[k])
        << lines[0];
    // The end line's checksum is FNV-1a over every byte before it.
    const std::string end = lines.back();
    lines.pop_back();
    EXPECT_EQ(end + "\n", lines_of(with_end_line(lines)).back() + "\n");
  }
  EXPECT_EQ(survey("--merge " + dir + "/s*.csv").out, survey(plan).out);
  // A head whose runs are not its K/M's, its end line made again, is refused.
  auto lines = lines_of(run("cat " + dir + "/s3.csv").out);
  lines.pop_back();
  lines[0].replace(lines[0].find("1-1 of"), 3, "0-0");
  ASSERT_EQ(run("cat > " + dir + "/s3.csv <<'EOF'\n" + with_end_line(lines) + "EOF").status, 0);
  Ran r = survey("--merge " + dir + "/s*.csv");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("s3.csv': its runs are not those of shard 3/4"), std::string::npos) << r.err;
}

TEST_F(Shards, AShardsHeadHoldsAPlanOnlyAndCannotSteerTheMerge) {
  const std::string s = dir + "/s0.csv", victim = dir + "/victim";
  shard("--seeds 1:3 1 1 1", 1);
  ASSERT_EQ(run("echo keep > " + victim).status, 0);
  const std::string original = run("cat " + s).out;
  auto head_with = [&](const std::string &words, bool checksum) {
    auto lines = lines_of(original);
    lines.pop_back();
    lines[0].replace(lines[0].find(": --seeds"), 9, ": " + words + " --seeds");
    std::string text = with_end_line(lines);
    if (!checksum) text = text.substr(0, text.rfind("# end")) + lines_of(original).back() + "\n";
    return run("cat > " + dir + "/h.csv <<'EOF'\n" + text + "EOF").status == 0;
  };
  // Edited, its end line left: the checksum covers the head.
  ASSERT_TRUE(head_with("--shard 0/1 -o " + victim, false));
  Ran r = survey("--merge " + dir + "/h.csv");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("h.csv' is altered"), std::string::npos) << r.err;
  // Edited with a checksum made again: a head holds the seeds, the network and the
  // coefficients, nothing that steers the merge, and the word is named.
  const std::pair<std::string, std::string> words[] = {
      {"--shard 0/1 -o " + victim, "holds '--shard'"},
      {"-o " + victim, "holds '-o'"},
      {"--shard 0/1", "holds '--shard'"},
      {"--csv", "holds '--csv'"},
      {"--svg " + victim, "holds '--svg'"},
      {"--merge", "holds '--merge'"},
      {"--cities /tmp", "'/tmp': not a regular file"},
      {"--cities /etc/passwd", "/etc/passwd"},
      {"--cities " + dir + "/none", "the plan in '" + dir + "/h.csv'"},
  };
  for (const auto &[edit, message] : words) {
    ASSERT_TRUE(head_with(edit, true));
    r = survey("--merge " + dir + "/h.csv");
    EXPECT_EQ(r.status, 2) << edit;
    EXPECT_EQ(r.out, "") << edit;
    EXPECT_NE(r.err.find(message), std::string::npos) << edit << ": " << r.err;
  }
  EXPECT_EQ(run("cat " + victim).out, "keep\n");
  EXPECT_EQ(run("ls " + dir).out, "h.csv\ns0.csv\nvictim\n");
  // The merge takes no option that a plan or a shard would take.
  for (const char *option : {"-o x.csv", "--seeds 1:3", "--cities random:9:1", "--rule inplace",
                             "--jobs 1", "--shard 0/1", "--C 0", "--sweeps 50"}) {
    r = survey("--merge " + std::string(option) + " " + s);
    EXPECT_EQ(r.status, 2) << option;
    EXPECT_NE(r.err.find("--merge takes its plan from the shards"), std::string::npos) << r.err;
  }
  EXPECT_EQ(survey("--merge --heat ratio " + s).status, 2);
  // A view the plan cannot show is refused as the survey refuses it: a heatmap of one coefficient
  // set, a picture of three ranging coefficients.
  EXPECT_EQ(survey("--merge --heat ratio --svg " + dir + "/p.svg " + s).status, 2);
  ASSERT_EQ(survey("--shard 0/1 -o " + dir + "/three.csv --seeds 1:2 1:2:1 1:2:1 1:2:1").status, 0);
  r = survey("--merge --svg " + dir + "/p.svg " + dir + "/three.csv");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("not three"), std::string::npos) << r.err;
  EXPECT_EQ(run("rm " + dir + "/three.csv").status, 0);
  EXPECT_EQ(survey("--plan '--seeds 1:3 -- 1 1 1' 1 1 1").status, 2);
  EXPECT_EQ(run("ls " + dir).out, "h.csv\ns0.csv\nvictim\n");
}

TEST_F(Shards, AMergeRefusesCitiesOtherThanThoseTheShardsRanOn) {
  // Four cities at the corners of a 3 by 4 rectangle: distances 3, 4 and 5, exact doubles.
  ASSERT_EQ(run("cd " + dir + " && printf '0 0\\n3 0\\n3 4\\n0 4\\n' > c.txt").status, 0);
  const std::string plan = "--seeds 1:20 --cities c.txt 1 1 1";
  ASSERT_EQ(run("cd " + dir + " && " + SURVEY + " --shard 0/2 -o s0.csv " + plan + " && " + SURVEY +
                " --shard 1/2 -o s1.csv " + plan)
                .status,
            0);
  // The digest in the head: FNV-1a over N (4 bytes) and the N x N distances (8 bytes each),
  // little-endian, computed here from the rectangle.
  const double x[4] = {0, 3, 3, 0}, y[4] = {0, 0, 4, 4};
  uint64_t hash = fnv1a("\x04\0\0\0", 4);
  for (int i = 0; i < 4; i++)
    for (int k = 0; k < 4; k++) {
      const double d = std::sqrt((x[i] - x[k]) * (x[i] - x[k]) + (y[i] - y[k]) * (y[i] - y[k]));
      uint64_t bits;
      memcpy(&bits, &d, 8);
      unsigned char le[8];
      for (int b = 0; b < 8; b++) le[b] = (unsigned char)(bits >> (8 * b));
      hash = fnv1a(le, 8, hash);
    }
  char digest[40];
  snprintf(digest, sizeof digest, ", instance %016llx: ", (unsigned long long)hash);
  EXPECT_NE(run("head -n 1 " + dir + "/s1.csv").out.find(digest), std::string::npos) << digest;
  const std::string merge = "cd " + dir + " && " + SURVEY + " --merge s0.csv s1.csv";
  EXPECT_EQ(run(merge).out, run("cd " + dir + " && " + SURVEY + " " + plan).out);
  // A city moved since the shards ran: refused, nothing printed.
  ASSERT_EQ(run("cd " + dir + " && printf '0 0\\n3 0\\n3 5\\n0 4\\n' > c.txt").status, 0);
  Ran r = run(merge);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("the cities in 'c.txt' are not those the shards ran on"), std::string::npos)
      << r.err;
  // Gone: the message says where the name came from.
  r = run("cd " + dir + " && rm c.txt && " + SURVEY + " --merge s0.csv s1.csv");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("the cities of the plan in 's0.csv': 'c.txt': No such file"),
            std::string::npos)
      << r.err;
}

TEST_F(Shards, AMergeTakesOnlyRowsASurveyWrites) {
  const std::string plan = "--seeds 1:4 1 1 1", whole = dir + "/whole.csv";
  ASSERT_EQ(run(std::string(SURVEY) + " --csv " + plan + " > " + whole).status, 0);
  const std::string merge = std::string(SURVEY) + " --merge --plan '--seeds 1:4 -- 1 1 1' ";
  ASSERT_EQ(run(merge + whole).out, survey(plan).out);
  // Row 1's energy and settled flag as no run writes them; the file cut 1 or 2 bytes short.
  const std::string energy = "sed -E '2s/,([0-9]+\\.[0-9]{6}),([0-9]*),tour,/,%s,\\2,tour,/' ";
  const char *const edits[] = {"nan",  "inf",       "-inf",  "1e999",     "0x1.ep+2",
                               " 7.5", "7.500000 ", "7.5e0", "+7.500000", ""};
  std::vector<std::string> commands;
  for (const char *value : edits) {
    char command[200];
    snprintf(command, sizeof command, energy.c_str(), value);
    commands.push_back(command + whole);
  }
  commands.push_back("sed '2s/,1$/,2/' " + whole);
  commands.push_back("sed '2s/,1$/,01/' " + whole);
  commands.push_back("sed '2s/^1,1,1,1,1,/1,1,1,1,2,/' " + whole);
  commands.push_back("head -c -1 " + whole);
  commands.push_back("head -c -2 " + whole);
  for (const std::string &command : commands) {
    ASSERT_EQ(run(command + " > " + dir + "/bad.csv && ! cmp -s " + whole + " " + dir + "/bad.csv")
                  .status,
              0)
        << command;
    Ran r = run(merge + dir + "/bad.csv");
    EXPECT_EQ(r.status, 2) << command;
    EXPECT_EQ(r.out, "") << command;
    EXPECT_NE(r.err.find("bad.csv':"), std::string::npos) << r.err;
  }
  // In a shard, with its end line made again: the row is still refused.
  shard(plan, 1);
  auto lines = lines_of(run("cat " + dir + "/s0.csv").out);
  lines.pop_back();
  auto f = fields_of(lines[2]);
  f[8] = "nan";
  lines[2].clear();
  for (size_t k = 0; k < f.size(); k++) lines[2] += (k ? "," : "") + f[k];
  ASSERT_EQ(run("cat > " + dir + "/s0.csv <<'EOF'\n" + with_end_line(lines) + "EOF").status, 0);
  Ran r = survey("--merge " + dir + "/s0.csv");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("s0.csv':3: not run 0 of the plan"), std::string::npos) << r.err;
}

TEST_F(Shards, AMergeReadsRegularFilesOnlyAndNamesEveryReadError) {
  shard("--seeds 1:4 1 1 1", 2);
  // A link to an endless device, a FIFO with no writer and a folder: refused at once (the
  // timeout only keeps a merge that would block from holding the suite).
  ASSERT_EQ(
      run("cd " + dir + " && ln -s /dev/zero zero.csv && mkfifo fifo.csv && mkdir dir.csv").status,
      0);
  for (const char *file : {"zero.csv", "fifo.csv", "dir.csv"}) {
    Ran r = run("timeout 120 " + std::string(SURVEY) + " --merge " + dir + "/s0.csv " + dir + "/" +
                file);
    EXPECT_EQ(r.status, 2) << file;
    EXPECT_EQ(r.out, "") << file;
    EXPECT_NE(r.err.find(std::string(file) + "': not a regular file"), std::string::npos) << r.err;
  }
  Ran r = survey("--merge " + dir + "/s0.csv " + dir + "/none.csv");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("none.csv': No such file or directory"), std::string::npos) << r.err;
  ASSERT_EQ(run("head -c 0 " + dir + "/s0.csv > " + dir + "/empty.csv").status, 0);
  r = survey("--merge " + dir + "/s1.csv " + dir + "/empty.csv");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("empty.csv': empty"), std::string::npos) << r.err;
}

} // namespace
