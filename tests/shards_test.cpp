// Surveys in shards: shards run side by side by xargs -P and merged print what one process
// prints, in every view and for a member of the family; and a merge refuses, printing nothing,
// shards that are missing, doubled, of another plan, cut short or altered.
#include <cstdio>
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

// 64-bit FNV-1a of text, as the end line's checksum is documented.
uint64_t fnv1a(const std::string &text) {
  uint64_t hash = 14695981039346656037u;
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211u;
  return hash;
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
  std::string rows;
  for (size_t k = 2; k < 12; k++) rows += lines[k] + "\n";
  char end[80];
  snprintf(end, sizeof end, "# end: 10 rows, checksum %016llx", (unsigned long long)fnv1a(rows));
  EXPECT_EQ(lines[12].substr(0, 22), std::string(end).substr(0, 22));
  std::string text = lines[0] + "\n" + lines[1] + "\n" + rows + end + "\n";
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

} // namespace
