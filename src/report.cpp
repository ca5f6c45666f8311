/* The state table: a heading with the cycle number, a line of position labels, then one line
 * per city with its outputs, nine for nuv's network, N for another member of the family. Every
 * line but the heading ends with two blanks. */
#include "report.h"

#include <stdio.h>

#include "network.h"

/* Reads unitout as it is now; rows are cities, columns tour positions, both from 1. */
void display_state(int cycle) {
  printf("    ###   Sequence     Cycle : %4d   ###\nCity ", cycle);
  for (int j = 1; j <= network.n; j++) printf(" %4d  ", j);
  printf("\n");
  for (int i = 0; i < network.n; i++) {
    printf("%4d  ", i + 1);
    for (int j = 0; j < network.n; j++) printf("%5.2f  ", unitout[i][j]);
    printf("\n");
  }
}
