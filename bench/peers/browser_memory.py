"""Watches the browser processes under one process: memory, CPU time and starts.

A thread walks the process tree below `root` every `period` seconds (through
/proc/PID/task/TID/children) and, for every process whose name starts with "chrom",
reads its proportional set size (smaps_rollup's Pss: shared pages split between the
processes that share them), its resident set (status's VmRSS) and its CPU time. The peak
of each sum over one sample is kept. A browser start is a browser process found under one that is not:
each such process seen counts once.
"""

import os
import threading

TICKS = os.sysconf("SC_CLK_TCK")


def _children(pid):
    found = []
    try:
        for task in os.listdir("/proc/%d/task" % pid):
            with open("/proc/%d/task/%s/children" % (pid, task)) as children:
                found += [int(word) for word in children.read().split()]
    except OSError:
        pass  # gone meanwhile
    return found


def _stat(pid):
    """(name, parent, CPU seconds) of a process, or None when it is gone."""
    try:
        with open("/proc/%d/stat" % pid) as stat:
            line = stat.read()
    except OSError:
        return None
    name = line[line.index("(") + 1:line.rindex(")")]
    fields = line[line.rindex(")") + 2:].split()
    return name, int(fields[1]), (int(fields[11]) + int(fields[12])) / TICKS


def _kib(path, key):
    try:
        with open(path) as text:
            for line in text:
                if line.startswith(key):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


class BrowserWatch:
    def __init__(self, root, period=0.05):
        self.root, self.period = root, period
        self.peak_pss_kib = self.peak_rss_kib = 0
        self.starts = set()  # browser processes whose parent is no browser
        self.cpu = {}  # CPU seconds of each browser process, as last seen
        self.root_cpu = 0.0  # the root's own CPU seconds, as last seen
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, daemon=True)

    def __enter__(self):
        self._thread.start()
        return self

    def __exit__(self, *exc):
        self._stop.set()
        self._thread.join()

    def _run(self):
        while not self._stop.is_set():
            self.sample()
            self._stop.wait(self.period)

    def sample(self):
        pss = rss = 0
        root = _stat(self.root)
        if root is not None:
            self.root_cpu = root[2]
        # (process, whether the process it was found under is a browser one): its parent
        # as read now may already be another, when the one it was found under just ended.
        pending = [(child, False) for child in _children(self.root)]
        while pending:
            pid, under_browser = pending.pop()
            stat = _stat(pid)
            browser = stat is not None and stat[0].startswith("chrom")
            pending += [(child, browser) for child in _children(pid)]
            if not browser:
                continue
            if not under_browser:
                self.starts.add(pid)
            self.cpu[pid] = stat[2]
            pss += _kib("/proc/%d/smaps_rollup" % pid, "Pss:")
            rss += _kib("/proc/%d/status" % pid, "VmRSS:")
        self.peak_pss_kib = max(self.peak_pss_kib, pss)
        self.peak_rss_kib = max(self.peak_rss_kib, rss)

    def browser_cpu(self):
        return sum(self.cpu.values())
