/* nuv: the run driver. Reads Acoef Bcoef Dcoef seed, seeds the generator, sets the network
 * up and prints its state for cycle 0, then runs the sweeps and prints each later cycle's
 * table with its energy. main below reads as the run's steps. */
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "network.h"
#include "report.h"

/* A number from the command line, read as atof reads it (0.0 for a text that is no number,
 * the numeric beginning otherwise), but defined for every text: overflow gives +-HUGE_VAL. */
static double arg_value(const char *text) {
  return strtod(text, NULL);
}

/* The exit status once all is printed: 0, or 1 with a line on stderr if stdout failed. */
static int finish_output(void) {
  if (fflush(stdout) == 0 && !ferror(stdout)) return 0;
  fprintf(stderr, "nuv: cannot write standard output: %s\n", strerror(errno));
  return 1;
}

int main(int argc, char **argv) {
  /* 1. Output over a file-size limit is a write error, reported, not a silent SIGXFSZ. */
  signal(SIGXFSZ, SIG_IGN);

  /* 2. A short command line gets the usage message, and nothing else. */
  if (argc < 5) {
    printf(" Usage: nuv Acoef Bcoef Dcoef seed\n");
    return finish_output();
  }

  /* 3. nuv's network with the coefficients, in order, set up: Acoef, Bcoef, Dcoef written. */
  Network net = nuv_network();
  net.a = arg_value(argv[1]);
  net.b = arg_value(argv[2]);
  net.d = arg_value(argv[3]);
  set_up(net);

  /* 4. The only seeding of the run, then initialize: the distances and the random start, shown
   * as cycle 0. */
  srand(seed_from_number(arg_value(argv[4])));
  initialize();
  display_state(0);

  /* 5. One sweep unprinted, so each later table shows the state one sweep on. Steps 4 to 6 are
   * the run's schedule that run_cycles (schedule.h) makes for the tools, written here as a plain
   * loop: this is the program's own run driver, and its instruction count must not move. */
  update_state();

  /* 6. Cycles 1 to 49: a sweep, its table, its energy. */
  for (int cycle = 1; cycle < NSWEEP; cycle++) {
    update_state();
    display_state(cycle);
    printf(" Energy = %f\n", energy());
  }
  return finish_output();
}
