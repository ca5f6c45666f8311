// A test with a fresh temporary folder of its own, removed after it.
#ifndef NUV_TESTS_FOLDER_H
#define NUV_TESTS_FOLDER_H

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

#include "run.h"

class InFolder : public ::testing::Test {
protected:
  std::string dir;
  void SetUp() override {
    char tmpl[] = "/tmp/nuv-test-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
  }
  void TearDown() override { run("rm -rf " + dir); }

  // Everything in the folder, hidden temporary files included.
  std::string files() { return run("ls -A " + dir).out; }
};

#endif
