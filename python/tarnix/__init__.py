"""Keywords of journal articles, Chinese and English, with Tarnix.

    >>> import tarnix
    >>> for k in tarnix.extract(title="基于深度学习的图像分类", lang="zh"):
    ...     print(k.text, round(k.weight, 1))
    图像分类 508.0
    深度学习 46.0

The package runs the ``tarnix`` command (its ``batch`` subcommand), so an
article's texts go through the command's own UTF-8 checks, normalisation
and GBK conversion, and an error carries the command's message. The
library behind it holds one current article per process; every call here
has processes of its own, so calls from several threads do not meet, and
``extract_many(..., jobs=N)`` spreads articles over N worker processes that
each load the dictionaries once.

A user dictionary and a stop-word list (``user_dict=`` and ``stop_words=``,
UTF-8 files described in data/lexmill/README.md and
data/extend_kvr/README.md) are read by the engines when they start; a line
they skip comes back as a ``TarnixWarning`` naming its file and line.
``tarnix.dask`` runs a JSON-lines corpus on a Dask cluster.

The command is ``$TARNIX_COMMAND`` when set, else the one installed with
this package (``<prefix>/bin/tarnix``), else ``tarnix`` on the PATH.
"""
import json
import os
import shutil
import subprocess
import warnings
from dataclasses import dataclass

__all__ = ["Keyword", "TarnixError", "TarnixWarning", "batch_arguments", "command", "extract", "extract_many"]


@dataclass(frozen=True)
class Keyword:
    """One keyword: its text, weight (the higher, the more the article is
    about it), frequency in the article, library class code ("" when none)
    and its words as the engine cut them, blank-separated."""
    text: str
    weight: float
    frequency: int
    class_code: str
    second_text: str


class TarnixError(RuntimeError):
    """An article the command refused, or the command itself failing."""


class TarnixWarning(UserWarning):
    """A line of a user dictionary or stop-word list that was skipped."""


def batch_arguments(top=20, jobs=1, user_dict=None, stop_words=None):
    """The arguments after the command's path of a quiet ``tarnix batch``
    with these settings (tarnix.dask starts its children with them)."""
    argv = ["batch", "--quiet", "--top", str(int(top)), "--jobs", str(max(1, int(jobs)))]
    if user_dict is not None:
        argv += ["--user-dict", os.path.abspath(os.fspath(user_dict))]
    if stop_words is not None:
        argv += ["--stop-words", os.path.abspath(os.fspath(stop_words))]
    return argv


def command():
    """The path of the tarnix command this package runs."""
    configured = os.environ.get("TARNIX_COMMAND")
    if configured:
        return configured
    # Installed as <prefix>/lib/pythonX.Y/dist-packages/tarnix.
    here = os.path.dirname(os.path.abspath(__file__))
    beside = os.path.normpath(os.path.join(here, os.pardir, os.pardir, os.pardir, os.pardir, "bin", "tarnix"))
    if os.access(beside, os.X_OK):
        return beside
    found = shutil.which("tarnix")
    if found:
        return found
    raise TarnixError("the tarnix command was not found: install Tarnix or set TARNIX_COMMAND")


def _request(article):
    """An article dict (the keys of extract) as the command's JSON line."""
    unknown = set(article) - {"title", "abstract", "keywords", "text", "journal", "class_code", "lang"}
    if unknown:
        raise TypeError("unknown article field(s): %s" % ", ".join(sorted(unknown)))
    line = {}
    for key, field in (("title", "title"), ("abstract", "abstract"), ("text", "text"),
                       ("journal", "journal"), ("class_code", "class")):
        value = article.get(key) or ""
        if not isinstance(value, str):
            raise TypeError("%s must be a str, not %s" % (key, type(value).__name__))
        if value:
            line[field] = value
    keywords = article.get("keywords") or ()
    if isinstance(keywords, str):
        keywords = [keywords]
    if keywords:
        line["keywords"] = [str(k) for k in keywords]
    if article.get("lang") is not None:
        line["lang"] = article["lang"]
    return json.dumps(line, ensure_ascii=False)


def _keywords(record):
    return [Keyword(k.get("keyword", ""), float(k.get("weight", 0.0)), int(k.get("frequency", 0)),
                    k.get("class", ""), k.get("second", "")) for k in record.get("keywords", [])]


def extract_many(articles, jobs=1, top=20, errors="raise", user_dict=None, stop_words=None):
    """The keyword lists of many articles, in their order.

    articles: an iterable of dicts with the keys of extract(); jobs: worker
    processes (the same lists whatever the number); top: keywords per
    article at most (0: all). errors="raise" raises TarnixError for the
    first article the command refuses (after all were read), naming its
    position; errors="keep" puts the TarnixError in the article's place.
    user_dict, stop_words: paths of a user dictionary and a stop-word list
    (a file that cannot be read raises TarnixError).
    """
    if errors not in ("raise", "keep"):
        raise ValueError('errors must be "raise" or "keep"')
    lines = [_request(a) for a in articles]
    if not lines:
        return []
    argv = [command()] + batch_arguments(top, jobs, user_dict, stop_words)
    try:
        child = subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                 encoding="utf-8")
    except OSError as e:
        raise TarnixError("cannot run %s: %s" % (argv[0], e.strerror or e)) from e
    # communicate() writes the articles while it reads both answers: the
    # command answers as it reads, and a pipe left unread (its warnings
    # too) would stop it once full.
    out, err = child.communicate("".join(line + "\n" for line in lines))
    status = child.returncode
    records = [json.loads(r) for r in out.splitlines() if r.strip()]
    if len(records) != len(lines):
        raise TarnixError(err.strip() or "tarnix batch stopped with status %d after %d of %d articles"
                          % (status, len(records), len(lines)))
    # What the engines said while starting: the skipped lines of the
    # user's word lists, each once however many workers read them.
    seen = set()
    for said in err.splitlines():
        if said.strip() and said not in seen:
            seen.add(said)
            warnings.warn(said.strip(), TarnixWarning, stacklevel=2)
    results = []
    for position, record in enumerate(records):
        if "error" in record:
            failure = TarnixError("article %d: %s" % (position, record["error"]))
            if errors == "raise":
                raise failure
            results.append(failure)
        else:
            results.append(_keywords(record))
    return results


def extract(title="", abstract="", keywords=(), text="", journal="", class_code="", lang=None, top=20,
            user_dict=None, stop_words=None):
    """The keywords of one article, best first.

    title, abstract, text (the full text), journal: str; keywords: the
    author keywords (a list, or one str), which rank first; class_code: a
    library class code the article is known to have; lang: "zh", "en" or
    None to tell by the text; top: at most this many (0: all); user_dict,
    stop_words: paths of a user dictionary and a stop-word list.
    """
    article = dict(title=title, abstract=abstract, keywords=keywords, text=text, journal=journal,
                   class_code=class_code, lang=lang)
    return extract_many([article], jobs=1, top=top, user_dict=user_dict, stop_words=stop_words)[0]
