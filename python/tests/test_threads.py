"""A run releases the GIL while its sweeps run (another thread goes on meanwhile), two threads'
runs are each the run alone (the model is one, taken in turn), and Ctrl-C ends a run with
KeyboardInterrupt, leaving the module usable."""
import os
import subprocess
import sys
import threading
import time

import numpy

import nuv


def test_another_thread_runs_while_the_sweeps_do():
    net = nuv.Network(A=1, B=1, D=1, rule="euler", sweeps=3000, cities="random:40:1")
    started, done = threading.Event(), [False]
    count = [0]

    def work():
        started.set()
        net.run(1, end_only=True)
        done[0] = True

    interval = sys.getswitchinterval()
    sys.setswitchinterval(1000)  # no forced switch: only a released GIL lets this thread on
    try:
        worker = threading.Thread(target=work)
        worker.start()
        started.wait()
        while not done[0]:
            count[0] += 1
            time.sleep(0.001)  # lets the worker take the GIL back to return
        worker.join()
    finally:
        sys.setswitchinterval(interval)
    # Held, the GIL would let this thread on at most once or twice, at the run's ends; released,
    # it goes round once a millisecond or so while the run's second or two lasts.
    assert count[0] >= 20


def test_runs_in_threads_are_the_runs_alone():
    nets = [nuv.Network(A=1, B=1, D=1, cities="random:12:1"),
            nuv.Network(A=0, B=1, D=1, rule="potts", cities="eil51", sweeps=40),
            nuv.Network(A=1, B=1, D=1, rule="tcnn", sweeps=300)]
    alone = [net.run(seed) for net in nets for seed in (1, 2)]
    together = [None] * len(alone)

    def work(k):
        together[k] = nets[k // 2].run(1 + k % 2)

    threads = [threading.Thread(target=work, args=(k,)) for k in range(len(alone))]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for a, b in zip(alone, together):
        assert numpy.array_equal(a.states, b.states) and a.tour == b.tour and a.ratio == b.ratio


CHILD = """
import os, signal, threading, time, nuv
net = nuv.Network(A=1, B=1, D=1, rule="tcnn", sweeps=100000, cities="random:100:1")
threading.Thread(target=lambda: (time.sleep(0.5), os.kill(os.getpid(), signal.SIGINT))).start()
try:
    net.run(1, end_only=True)
    print("ran to the end")
except KeyboardInterrupt:
    print("interrupted")
print(nuv.Network(A=1, B=1, D=1).run(5).tour)
"""


def test_ctrl_c_ends_a_run():
    done = subprocess.run([sys.executable, "-c", CHILD], capture_output=True, text=True,
                          timeout=120, env=os.environ)
    assert done.returncode == 0, done.stderr
    assert done.stdout.splitlines() == ["interrupted", "[2, 3, 4, 5, 8, 1, 6, 7, 9]"]
