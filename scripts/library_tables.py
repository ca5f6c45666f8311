#!/usr/bin/env python3
"""Writes src/library_tables.cpp: the tables of the C library's exp and log (GNU libc 2.36) that
src/library_math.cpp reads, derived here from their definitions, except the log table's 1/c,
which the library chose by a search and which is transcribed below.

  exp: 2^(k/128) = H_k (1 + T_k) for k = 0 ... 127, H_k the double nearest 2^(k/128) and T_k
       the double nearest 2^(k/128) / H_k - 1; entry 2k holds T_k's bits, entry 2k + 1 H_k's
       bits less k << 45 (so that adding the exponent's bits later gives the scale).
  log: for each of 128 subintervals of [0x1.6p-1, 0x1.6p0), c = 1 / invc (exactly, as a real
       number): logc the double nearest log(c), chi the double nearest c, clo the double
       nearest c - chi.

Every value is computed with 60 significant digits (Python's decimal) and rounded once to a
double; the library's published tables agree with every one.
  usage: library_tables.py OUT     writes the file
         library_tables.py --check FILE   exits 1 (naming the first difference) unless FILE is
                                          what it would write
"""
import decimal
import struct
import sys

decimal.getcontext().prec = 60
D = decimal.Decimal

# 1/c of each subinterval of log's table, as the library chose them.
INVC = [
    '0x1.734f0c3e0de9fp+0', '0x1.713786a2ce91fp+0', '0x1.6f26008fab5a0p+0',
    '0x1.6d1a61f138c7dp+0', '0x1.6b1490bc5b4d1p+0', '0x1.69147332f0cbap+0',
    '0x1.6719f18224223p+0', '0x1.6524f99a51ed9p+0', '0x1.63356aa8f24c4p+0',
    '0x1.614b36b9ddc14p+0', '0x1.5f66452c65c4cp+0', '0x1.5d867b5912c4fp+0',
    '0x1.5babccb5b90dep+0', '0x1.59d61f2d91a78p+0', '0x1.5805612465687p+0',
    '0x1.56397cee76bd3p+0', '0x1.54725e2a77f93p+0', '0x1.52aff42064583p+0',
    '0x1.50f22dbb2bddfp+0', '0x1.4f38f4734ded7p+0', '0x1.4d843cfde2840p+0',
    '0x1.4bd3ec078a3c8p+0', '0x1.4a27fc3e0258ap+0', '0x1.4880524d48434p+0',
    '0x1.46dce1b192d0bp+0', '0x1.453d9d3391854p+0', '0x1.43a2744b4845ap+0',
    '0x1.420b54115f8fbp+0', '0x1.40782da3ef4b1p+0', '0x1.3ee8f5d57fe8fp+0',
    '0x1.3d5d9a00b4ce9p+0', '0x1.3bd60c010c12bp+0', '0x1.3a5242b75dab8p+0',
    '0x1.38d22cd9fd002p+0', '0x1.3755bc5847a1cp+0', '0x1.35dce49ad36e2p+0',
    '0x1.34679984dd440p+0', '0x1.32f5cceffcb24p+0', '0x1.3187775a10d49p+0',
    '0x1.301c8373e3990p+0', '0x1.2eb4ebb95f841p+0', '0x1.2d50a0219a9d1p+0',
    '0x1.2bef9a8b7fd2ap+0', '0x1.2a91c7a0c1babp+0', '0x1.293726014b530p+0',
    '0x1.27dfa5757a1f5p+0', '0x1.268b39b1d3bbfp+0', '0x1.2539d838ff5bdp+0',
    '0x1.23eb7aac9083bp+0', '0x1.22a012ba940b6p+0', '0x1.2157996cc4132p+0',
    '0x1.201201dd2fc9bp+0', '0x1.1ecf4494d480bp+0', '0x1.1d8f5528f6569p+0',
    '0x1.1c52311577e7cp+0', '0x1.1b17c74cb26e9p+0', '0x1.19e010c2c1ab6p+0',
    '0x1.18ab07bb670bdp+0', '0x1.1778a25efbcb6p+0', '0x1.1648d354c31dap+0',
    '0x1.151b990275fddp+0', '0x1.13f0ea432d24cp+0', '0x1.12c8b7210f9dap+0',
    '0x1.11a3028ecb531p+0', '0x1.107fbda8434afp+0', '0x1.0f5ee0f4e6bb3p+0',
    '0x1.0e4065d2a9fcep+0', '0x1.0d244632ca521p+0', '0x1.0c0a77ce2981ap+0',
    '0x1.0af2f83c636d1p+0', '0x1.09ddb98a01339p+0', '0x1.08cabaf52e7dfp+0',
    '0x1.07b9f2f4e28fbp+0', '0x1.06ab58c358f19p+0', '0x1.059eea5ecf92cp+0',
    '0x1.04949cdd12c90p+0', '0x1.038c6c6f0ada9p+0', '0x1.02865137932a9p+0',
    '0x1.0182427ea7348p+0', '0x1.008040614b195p+0', '0x1.fe01ff726fa1ap-1',
    '0x1.fa11cc261ea74p-1', '0x1.f6310b081992ep-1', '0x1.f25f63ceeadcdp-1',
    '0x1.ee9c8039113e7p-1', '0x1.eae8078cbb1abp-1', '0x1.e741aa29d0c9bp-1',
    '0x1.e3a91830a99b5p-1', '0x1.e01e009609a56p-1', '0x1.dca01e577bb98p-1',
    '0x1.d92f20b7c9103p-1', '0x1.d5cac66fb5ccep-1', '0x1.d272caa5ede9dp-1',
    '0x1.cf26e3e6b2ccdp-1', '0x1.cbe6da2a77902p-1', '0x1.c8b266d37086dp-1',
    '0x1.c5894bd5d5804p-1', '0x1.c26b533bb9f8cp-1', '0x1.bf583eeece73fp-1',
    '0x1.bc4fd75db96c1p-1', '0x1.b951e0c864a28p-1', '0x1.b65e2c5ef3e2cp-1',
    '0x1.b374867c9888bp-1', '0x1.b094b211d304ap-1', '0x1.adbe885f2ef7ep-1',
    '0x1.aaf1d31603da2p-1', '0x1.a82e63fd358a7p-1', '0x1.a5740ef09738bp-1',
    '0x1.a2c2a90ab4b27p-1', '0x1.a01a01393f2d1p-1', '0x1.9d79f24db3c1bp-1',
    '0x1.9ae2505c7b190p-1', '0x1.9852ef297ce2fp-1', '0x1.95cbaeea44b75p-1',
    '0x1.934c69de74838p-1', '0x1.90d4f2f6752e6p-1', '0x1.8e6528effd79dp-1',
    '0x1.8bfce9fcc007cp-1', '0x1.899c0dabec30ep-1', '0x1.87427aa2317fbp-1',
    '0x1.84f00acb39a08p-1', '0x1.82a49e8653e55p-1', '0x1.8060195f40260p-1',
    '0x1.7e22563e0a329p-1', '0x1.7beb377dcb5adp-1', '0x1.79baa679725c2p-1',
    '0x1.77907f2170657p-1', '0x1.756cadbd6130cp-1',
]


def bits(x):
    """The 64 bits of a double."""
    return struct.unpack('<Q', struct.pack('<d', x))[0]


def nearest(d):
    """The double nearest the Decimal d (Python's float() of a decimal string rounds once)."""
    return float(str(d))


def exp_table():
    """The 256 words of exp's table, two per k."""
    words = []
    ln2 = D(2).ln()
    for k in range(128):
        v = (D(k) / 128 * ln2).exp()
        h = nearest(v)
        t = nearest(v / D(h) - 1)
        words += [bits(t), (bits(h) - (k << 45)) % (1 << 64)]
    return words


def log_tables():
    """[invc, logc] and [chi, clo] of each subinterval."""
    main, centres = [], []
    for text in INVC:
        invc = float.fromhex(text)
        c = 1 / D(invc)
        chi = nearest(c)
        main.append((invc, nearest(c.ln())))
        centres.append((chi, nearest(c - D(chi))))
    return main, centres


def source():
    """The text of src/library_tables.cpp."""
    lines = [
        '/* The tables of the C library\'s exp and log (GNU libc 2.36), written by',
        ' * scripts/library_tables.py, which says how each entry is derived; do not edit. Start at',
        ' * EXP_TABLE. */',
        '#include "library_tables.h"',
        '',
        '// One entry a line, as the script writes them:',
        '// clang-format off',
        '/* 2^(k/128) = H (1 + T): T\'s bits, then H\'s bits less k << 45, for k = 0 ... 127. */',
        'const uint64_t EXP_TABLE[256] = {',
    ]
    words = exp_table()
    for k in range(0, 256, 2):
        lines.append('    0x%016x, 0x%016x,' % (words[k], words[k + 1]))
    lines += ['};', '',
              '/* 1/c and log(c) for each of log\'s 128 subintervals, c near its centre. */',
              'const double LOG_TABLE[128][2] = {']
    main, centres = log_tables()
    lines += ['    {%s, %s},' % (a.hex(), b.hex()) for a, b in main]
    lines += ['};', '',
              '/* c = chi + clo, for the build without fused multiply-adds. */',
              'const double LOG_CENTRES[128][2] = {']
    lines += ['    {%s, %s},' % (a.hex(), b.hex()) for a, b in centres]
    lines += ['};', '// clang-format on']
    return '\n'.join(lines) + '\n'


def main():
    text = source()
    if len(sys.argv) == 3 and sys.argv[1] == '--check':
        with open(sys.argv[2]) as f:
            have = f.read().split('\n')
        want = text.split('\n')
        for n, (a, b) in enumerate(zip(have, want)):
            if a != b:
                print('%s:%d: %s\n  derived: %s' % (sys.argv[2], n + 1, a, b))
                return 1
        if len(have) != len(want):
            print('%s: %d lines, derived %d' % (sys.argv[2], len(have), len(want)))
            return 1
        print('every entry of %s is its derivation' % sys.argv[2])
        return 0
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    with open(sys.argv[1], 'w') as f:
        f.write(text)
    return 0


if __name__ == '__main__':
    sys.exit(main())
