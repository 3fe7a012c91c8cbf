"""tarnix.dask against tarnix batch: the same bytes, on two workers.

Argument: a JSON-lines corpus (the shared csl-dev set); its first 200
articles are run, with lines that test the numbering and the error
records added. Exit status 77 (skipped) without the corpus or Dask.
"""
import os
import subprocess
import sys
import tempfile

ARTICLES = 200


def main():
    corpus = sys.argv[1] if len(sys.argv) > 1 else ""
    if not os.path.exists(corpus):
        print("skipped: no corpus at %s (the shared data is not beside the repository)" % corpus)
        return 77
    try:
        import distributed  # noqa: F401
    except ImportError:
        print("skipped: Dask is not installed (python3-distributed)")
        return 77
    import tarnix
    import tarnix.dask

    with open(corpus, "rb") as f:
        lines = [next(f) for _ in range(ARTICLES)]
    # A blank line, a line that is not JSON and a CRLF line, among the
    # articles: each keeps its record and its number.
    lines[7:7] = [b"\n", b"{not json\n", lines[3].rstrip(b"\n") + b"\r\n"]
    data = b"".join(lines)
    with tempfile.TemporaryDirectory() as folder:
        source = os.path.join(folder, "in.jsonl")
        with open(source, "wb") as f:
            f.write(data)
        expected = subprocess.run([tarnix.command(), "batch", "--quiet", source], stdout=subprocess.PIPE,
                                  check=True).stdout
        written = os.path.join(folder, "out.jsonl")
        count = tarnix.dask.extract_file(source, written, workers=2, chunk=25)
        with open(written, "rb") as f:
            got = f.read()
    if count != len(lines) or got != expected:
        got_lines, expected_lines = got.splitlines(), expected.splitlines()
        for n, (a, b) in enumerate(zip(got_lines, expected_lines), 1):
            if a != b:
                print("line %d differs:\n  dask:  %s\n  batch: %s" % (n, a[:200], b[:200]))
                break
        print("FAILED: %d records from Dask, %d lines from tarnix batch, %d input lines"
              % (count, len(expected_lines), len(lines)))
        return 1
    print("ok: %d records, %d bytes, the same as tarnix batch" % (count, len(got)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
