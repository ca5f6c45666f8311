/* The tour-length sums of a whole sweep as one blocked product, for the rules whose units are all
 * updated from the same state: sums[i][j] = sum over k of near[k][j] * dist[i][k], with near[k][j]
 * = state[k][next(j)] + state[k][prev(j)], each sum started at zero and added in index order k =
 * 0, 1, ... as the plain loop adds it, so every bit is the plain loop's. Start at tour_sums.
 *
 * near is formed once a sweep, one block of rows k at a time; each block's sums are added onto
 * the partial sums kept in sums, tile by tile: a tile is RI rows i by RJ packets of positions j
 * (a packet: WIDTH doubles side by side, the positions of one network or the lanes of one
 * position), whose sums stay in registers while the block's k run in order. Vectors hold sums
 * side by side, never parts of one sum. Always inlined, so that each caller compiles it for its
 * own instruction set; the tile's shape is that instruction set's, the results never depend on
 * it. */
#ifndef NUV_TOUR_SUMS_H
#define NUV_TOUR_SUMS_H

#include <string.h>

/* The blocking for the instruction set this file is compiled for: the doubles in a packet (one
 * vector register), the tile's rows and packets (so that its sums, the packets it reads and a
 * distance fill the registers), and the rows k of near a block holds for values of L doubles (1:
 * one network; more: a batch's lanes), so that the partial sums go to memory rarely while a
 * tile's share of near stays near. */
template <int L>
struct TourBlocking {
#if defined(__AVX512F__)
  enum { WIDTH = 8, RI = 8, RJ = 3 };
#elif defined(__AVX2__)
  enum { WIDTH = 4, RI = 4, RJ = 2 };
#else
  enum { WIDTH = 2, RI = 4, RJ = 2 };
#endif
  enum { KB = L == 1 ? 512 : 128 };
};

/* A tile's sums, rows i ... i + RI - 1 by RJ packets starting at double jd of each row (nd
 * doubles of a row hold sums), over the block's rows k = k0 ... k1 - 1 of near (its row k - k0),
 * added onto the partial sums in sums (first: onto zero). A packet past nd is neither read nor
 * written beyond it. */
template <int RI, int RJ, typename P, typename V, int S, int ROW>
__attribute__((always_inline)) static inline void
tour_tile(V sums[][S], int i, int jd, int nd, const double (*near)[ROW], int k0, int k1,
          const double dist[][MAXCITY], bool first) {
  enum { W = sizeof(P) / sizeof(double) };
  P acc[RI][RJ];
  for (int ri = 0; ri < RI; ri++)
    for (int rj = 0; rj < RJ; rj++) {
      acc[ri][rj] = P{}; /* each sum starts at +0, as the plain loop's */
      if (first) continue;
      const int valid = nd - (jd + rj * W); /* doubles of the packet that hold sums */
      const char *at = (const char *)sums[i + ri] + sizeof(double) * size_t(jd + rj * W);
      double part[W] = {};
      memcpy(part, at, sizeof(double) * size_t(valid < W ? valid : W));
      memcpy(&acc[ri][rj], part, sizeof(P));
    }
  for (int k = k0; k < k1; k++) {
    P w[RJ];
    for (int rj = 0; rj < RJ; rj++) memcpy(&w[rj], &near[k - k0][jd + rj * W], sizeof(P));
    for (int ri = 0; ri < RI; ri++) {
      const double d = dist[i + ri][k];
      for (int rj = 0; rj < RJ; rj++) acc[ri][rj] = acc[ri][rj] + w[rj] * d;
    }
  }
  for (int ri = 0; ri < RI; ri++)
    for (int rj = 0; rj < RJ; rj++) {
      const int valid = nd - (jd + rj * W);
      char *at = (char *)sums[i + ri] + sizeof(double) * size_t(jd + rj * W);
      memcpy(at, &acc[ri][rj], sizeof(double) * size_t(valid < W ? valid : W));
    }
}

/* The sums of an n x n state into sums (rows of S values V, a double or a batch's lanes), near
 * formed KB rows at a time: see the top of this file. dist is the n x n distances, the model's. */
template <typename V, int S, int KB = TourBlocking<sizeof(V) / sizeof(double)>::KB>
__attribute__((always_inline)) static inline void tour_sums(V sums[][S], V state[][S], int n,
                                                            const double dist[][MAXCITY]) {
  enum { L = sizeof(V) / sizeof(double) };
  typedef TourBlocking<L> B;
  enum { W = B::WIDTH, RI = B::RI, RJ = B::RJ };
  typedef double P __attribute__((vector_size(W * sizeof(double))));
  /* A block of near, its rows padded with zeros to whole tiles of packets. */
  enum { ROW = ((S * L + W * RJ - 1) / (W * RJ)) * (W * RJ) };
  alignas(64) static double near[KB < S ? KB : S][ROW];
  const int nd = n * L;                 /* doubles of a row that hold sums */
  const int packets = (nd + W - 1) / W; /* packets of a row, the last perhaps in part */
  for (int k0 = 0; k0 < n; k0 += KB) {
    const int k1 = k0 + KB < n ? k0 + KB : n;
    for (int k = k0; k < k1; k++) { /* next(j) then prev(j), as unit_input adds them */
      double *row = near[k - k0];
      for (int j = 0; j < n; j++) {
        const V w = state[k][j == n - 1 ? 0 : j + 1] + state[k][j == 0 ? n - 1 : j - 1];
        memcpy(row + j * L, &w, sizeof(V));
      }
      for (int d = nd; d < ROW; d++) row[d] = 0.0;
    }
    const bool first = k0 == 0;
    int jp = 0;
    for (; jp + RJ <= packets; jp += RJ) {
      int i = 0;
      for (; i + RI <= n; i += RI)
        tour_tile<RI, RJ, P>(sums, i, jp * W, nd, near, k0, k1, dist, first);
      for (; i < n; i++) tour_tile<1, RJ, P>(sums, i, jp * W, nd, near, k0, k1, dist, first);
    }
    for (; jp < packets; jp++) {
      int i = 0;
      for (; i + RI <= n; i += RI)
        tour_tile<RI, 1, P>(sums, i, jp * W, nd, near, k0, k1, dist, first);
      for (; i < n; i++) tour_tile<1, 1, P>(sums, i, jp * W, nd, near, k0, k1, dist, first);
    }
  }
}

/* Row k of near from the state as it is: near[k][j] = state[k][next(j)] + state[k][prev(j)], for
 * the rules that update city by city and keep near current as rows change. */
template <typename V, int S>
__attribute__((always_inline)) static inline void near_row(V near[][S], V state[][S], int n,
                                                           int k) {
  for (int j = 0; j < n; j++)
    near[k][j] = state[k][j == n - 1 ? 0 : j + 1] + state[k][j == 0 ? n - 1 : j - 1];
}

/* RJ packets of one row's sums from double jd on, all within the row: out's over k = 0 ... n - 1
 * of near (rows of S values V) times dist_row[k], from +0. */
template <int RJ, typename P, typename V, int S>
__attribute__((always_inline)) static inline void tour_row_tile(V *out, V near[][S], int jd, int n,
                                                                const double *dist_row) {
  enum { W = sizeof(P) / sizeof(double) };
  P acc[RJ];
  for (int rj = 0; rj < RJ; rj++) acc[rj] = P{};
  for (int k = 0; k < n; k++) {
    const double d = dist_row[k];
    for (int rj = 0; rj < RJ; rj++) {
      P w;
      memcpy(&w, (const char *)near[k] + sizeof(double) * size_t(jd + rj * W), sizeof(P));
      acc[rj] = acc[rj] + w * d;
    }
  }
  for (int rj = 0; rj < RJ; rj++)
    memcpy((char *)out + sizeof(double) * size_t(jd + rj * W), &acc[rj], sizeof(P));
}

/* One row's tour-length sums from near (near_row's, rows of S), each in index order k from +0:
 * out[j] = sum over k of near[k][j] * dist_row[k], a vector-matrix product vectorised across the
 * sums, as tour_sums is for all rows. */
template <typename V, int S>
__attribute__((always_inline)) static inline void tour_row(V *out, V near[][S], int n,
                                                           const double *dist_row) {
  enum { L = sizeof(V) / sizeof(double), W = TourBlocking<L>::WIDTH, RJ = W == 8 ? 8 : 4 };
  typedef double P __attribute__((vector_size(W * sizeof(double))));
  const int nd = n * L, full = nd / W; /* the packets wholly within the row */
  int jp = 0;
  for (; jp + RJ <= full; jp += RJ) tour_row_tile<RJ, P>(out, near, jp * W, n, dist_row);
  for (; jp < full; jp++) tour_row_tile<1, P>(out, near, jp * W, n, dist_row);
  for (int d = full * W; d < nd; d++) { /* the row's last doubles, one at a time */
    double sum = 0.0, x, y;
    for (int k = 0; k < n; k++) {
      memcpy(&x, (const char *)near[k] + sizeof(double) * size_t(d), sizeof x);
      y = x * dist_row[k];
      sum = sum + y;
    }
    memcpy((char *)out + sizeof(double) * size_t(d), &sum, sizeof sum);
  }
}

#endif
