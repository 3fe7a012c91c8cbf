"""Keywords of a JSON-lines corpus on a Dask cluster.

    python3 -m tarnix.dask --workers 2 articles.jsonl > keywords.jsonl
    python3 -m tarnix.dask --scheduler tcp://head:8786 articles.jsonl -o keywords.jsonl

or from Python::

    import tarnix.dask
    tarnix.dask.extract_file("articles.jsonl", "keywords.jsonl", workers=2)

The output is what ``tarnix batch`` writes for the same file, byte for
byte: one record per input line, in input order, numbered by input line.

The engines hold one current article per process and load their
dictionaries when they start, so each Dask worker process keeps one
``tarnix batch`` child for the whole run (one per set of options) and
hands it a task's lines one at a time; tasks on one worker take turns with
it. The child numbers lines from 1 in its own stream, so each record's
leading ``{"line":N`` is set to the line's number in the corpus; nothing
else of the record is touched.

Without ``client`` or ``scheduler`` a ``distributed.LocalCluster`` with
``workers`` processes of one thread is started and stopped. On a real
cluster, pass the scheduler's address: each worker machine needs Tarnix
installed (or ``TARNIX_COMMAND`` set in the workers' environment), and the
input is read, and the output written, where this function runs; the
user's word lists must be at the same path on every worker.
"""
import argparse
import atexit
import os
import re
import subprocess
import sys
import threading

import tarnix

__all__ = ["extract_file", "extract_lines"]

# Lines per task: enough that a task outweighs its scheduling, few enough
# that two workers share a 200-line corpus evenly.
DEFAULT_CHUNK = 25

_LINE_NUMBER = re.compile(rb'^\{"line":[0-9]+')

# The children of this (worker) process, by their command line.
_children = {}
_children_lock = threading.Lock()


class _Child:
    """A persistent ``tarnix batch`` reading articles from a pipe."""

    def __init__(self, argv):
        self.argv = argv
        # Its warnings (a user dictionary's skipped lines) go to the
        # worker's own standard error, where Dask keeps its logs.
        self.process = subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.lock = threading.Lock()

    def run(self, line):
        """The record of one input line (bytes, without its line end)."""
        self.process.stdin.write(line + b"\n")
        self.process.stdin.flush()
        record = self.process.stdout.readline()
        if not record.endswith(b"\n"):
            status = self.process.wait()
            raise tarnix.TarnixError("%s stopped with status %d" % (" ".join(self.argv), status))
        return record[:-1]

    def close(self):
        try:
            self.process.stdin.close()
        except OSError:
            pass
        self.process.wait()


@atexit.register
def _close_children():
    with _children_lock:
        for child in _children.values():
            child.close()
        _children.clear()


def _child(argv):
    key = tuple(argv)
    with _children_lock:
        child = _children.get(key)
        if child is None or child.process.poll() is not None:
            child = _children[key] = _Child(list(argv))
        return child


def extract_lines(numbered_lines, batch_args):
    """Runs on a worker: the records of (line number, line bytes) pairs, as
    bytes with the corpus's line numbers."""
    child = _child([tarnix.command()] + list(batch_args))
    records = []
    with child.lock:
        for number, line in numbered_lines:
            record = child.run(line)
            records.append(_LINE_NUMBER.sub(b'{"line":%d' % number, record, count=1))
    return records


def _lines(data):
    """The input's lines as ``tarnix batch`` reads them: split at LF, a CR
    before it dropped, a last line without LF kept."""
    lines = data.split(b"\n")
    if lines and lines[-1] == b"":
        lines.pop()
    return [line[:-1] if line.endswith(b"\r") else line for line in lines]


def extract_file(source, output=None, workers=2, client=None, scheduler=None, chunk=DEFAULT_CHUNK, top=20,
                 user_dict=None, stop_words=None, batch_options=()):
    """Extracts the keywords of a JSON-lines file on Dask; returns the
    number of records written.

    source: a path, or a binary file object; output: a path, a binary file
    object, or None for standard output. client: a distributed.Client to
    use; scheduler: the address of a running scheduler; neither: a
    LocalCluster of ``workers`` processes. top, user_dict, stop_words: as
    for tarnix.extract; batch_options: further options of ``tarnix batch``
    (for example ["--lang", "zh"]).
    """
    import distributed  # here, so that tarnix itself does not need Dask

    if hasattr(source, "read"):
        data = source.read()
    else:
        with open(source, "rb") as f:
            data = f.read()
    lines = _lines(data)
    batch_args = tarnix.batch_arguments(top=top, user_dict=user_dict, stop_words=stop_words) + list(batch_options)
    # Read here, so that a missing file fails before any worker starts.
    for path in (user_dict, stop_words):
        if path is not None and not os.access(path, os.R_OK):
            raise tarnix.TarnixError("cannot read %s" % path)

    own_cluster = None
    if client is None:
        if scheduler is not None:
            client = distributed.Client(scheduler)
        else:
            own_cluster = distributed.LocalCluster(n_workers=max(1, int(workers)), threads_per_worker=1,
                                                   processes=True, dashboard_address=None)
            client = distributed.Client(own_cluster)
    close_client = own_cluster is not None or scheduler is not None
    try:
        chunk = max(1, int(chunk))
        tasks = [[(start + k + 1, line) for k, line in enumerate(lines[start:start + chunk])]
                 for start in range(0, len(lines), chunk)]
        futures = client.map(extract_lines, tasks, batch_args=batch_args, pure=False)
        out = output
        opened = None
        if output is None:
            out = sys.stdout.buffer
        elif not hasattr(output, "write"):
            out = opened = open(output, "wb")
        written = 0
        try:
            # In input order, each as soon as it and those before it are done.
            for future in futures:
                for record in future.result():
                    out.write(record + b"\n")
                    written += 1
            out.flush()
        finally:
            if opened is not None:
                opened.close()
        return written
    finally:
        if close_client:
            client.close()
        if own_cluster is not None:
            own_cluster.close()


def main(argv=None):
    parser = argparse.ArgumentParser(prog="python3 -m tarnix.dask",
                                     description="tarnix batch over a JSON-lines file, on Dask workers.")
    parser.add_argument("file", help="JSON lines, one article a line")
    parser.add_argument("-o", "--output", help="where the records go (default: standard output)")
    parser.add_argument("--workers", type=int, default=2, help="local worker processes (default 2)")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler instead of local workers")
    parser.add_argument("--chunk", type=int, default=DEFAULT_CHUNK, help="lines per task")
    parser.add_argument("--top", type=int, default=20, help="at most N keywords (default 20; 0 = all)")
    parser.add_argument("--user-dict", help="a user dictionary (UTF-8)")
    parser.add_argument("--stop-words", help="a stop-word list (UTF-8)")
    args, rest = parser.parse_known_args(argv)
    try:
        extract_file(args.file, args.output, workers=args.workers, scheduler=args.scheduler, chunk=args.chunk,
                     top=args.top, user_dict=args.user_dict, stop_words=args.stop_words, batch_options=rest)
    except (tarnix.TarnixError, OSError) as e:
        print("tarnix.dask: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    # Run as python3 -m, this file is __main__, whose functions the workers
    # cannot import: the package's own copy does the work.
    from tarnix.dask import main as package_main
    sys.exit(package_main())
