"""The search runs without the GIL, and Ctrl-C ends it at once with KeyboardInterrupt."""
import os
import signal
import subprocess
import sys
import textwrap
import threading
import time

import kova
from conftest import read_matrix_text


def test_other_threads_go_on_during_a_search(data_dir):
    values = read_matrix_text(data_dir / "ALL.txt").to_numpy()
    count = 0
    counting = True

    def count_on():
        nonlocal count
        while counting:
            count += 1

    counter = threading.Thread(target=count_on)
    counter.start()
    try:
        time.sleep(0.2)
        start, begun = count, time.perf_counter()
        time.sleep(0.5)
        alone = (count - start) / (time.perf_counter() - begun)
        start, begun = count, time.perf_counter()
        result = kova.biclusters(values, 0.9, threads=1)
        during = (count - start) / (time.perf_counter() - begun)
    finally:
        counting = False
        counter.join()
    assert len(result) > 10000
    # Holding the GIL, the search would leave the counter only its own few Python steps.
    assert during > 0.3 * alone, f"counted {during:.0f}/s during the search, {alone:.0f}/s alone"


# A million null runs, each a search of the matrix: long on any processor, where one search of a
# random matrix may end before the signal could be sent.
CHILD = textwrap.dedent("""
    import time
    import numpy as np
    import kova
    values = np.random.default_rng(1).standard_normal((2000, 100))
    result = kova.biclusters(values, 0.9)
    print("searching", flush=True)
    try:
        kova.significance(result, values, n=1_000_000)
        print("finished", flush=True)
    except KeyboardInterrupt:
        print(f"interrupted {time.monotonic()!r}", flush=True)
        # Nothing of the stopped searches is left behind: the next search runs as any other.
        print(f"next {len(kova.biclusters(values[:50], 0.9))}", flush=True)
""")


def test_ctrl_c_ends_the_searches_of_a_long_run_within_a_second(tmp_path):
    child = subprocess.Popen([sys.executable, "-c", CHILD], stdout=subprocess.PIPE, text=True,
                             env={**os.environ, "HOME": str(tmp_path)})
    try:
        assert child.stdout.readline() == "searching\n"
        time.sleep(2.0)  # the null runs under way
        assert child.poll() is None, "the searches ended before they could be interrupted"
        sent = time.monotonic()
        child.send_signal(signal.SIGINT)
        lines = child.communicate(timeout=30)[0].split("\n")
    finally:
        child.kill()
    assert lines[0].startswith("interrupted "), f"the child said {lines}"
    waited = float(lines[0].split()[1]) - sent
    assert waited < 1.0, f"KeyboardInterrupt {waited:.3f} s after SIGINT"
    assert lines[1].startswith("next ") and child.returncode == 0
