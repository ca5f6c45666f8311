/* The report: the text the program prints about the network state. */
#ifndef NUV_REPORT_H
#define NUV_REPORT_H

/* The state table for one cycle; the energy line is the caller's. */
void display_state(int cycle);

#endif
