"""Tests of the tarnix Python package, run by CTest with Debian's python3:
TARNIX_COMMAND names the built command, PYTHONPATH this folder."""
import json
import os
import subprocess
import tempfile
import unittest
import warnings

import tarnix

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLE = os.path.join(HERE, os.pardir, "samples", "zh-article.json")


class ExtractTest(unittest.TestCase):
    def test_chinese_title_gives_its_terms(self):
        got = tarnix.extract(title="基于深度学习的图像分类", lang="zh")
        self.assertEqual([k.text for k in got][:2], ["图像分类", "深度学习"])
        self.assertTrue(all(isinstance(k, tarnix.Keyword) and k.weight > 0 for k in got))
        self.assertEqual(got[0].second_text, "图像 分类")

    def test_author_keywords_rank_first_and_top_cuts(self):
        with open(SAMPLE, encoding="utf-8") as f:
            article = json.load(f)
        got = tarnix.extract(title=article["title"], abstract=article["abstract"],
                             keywords=article["keywords"], top=3)
        self.assertEqual(len(got), 3)
        self.assertIn(got[0].text, article["keywords"])
        without = tarnix.extract(title=article["title"], abstract=article["abstract"], top=0)
        self.assertGreater(len(without), 3)

    def test_english_by_the_text(self):
        got = tarnix.extract(title="Support vector machines for text classification",
                             abstract="We train support vector machines on text classification tasks.")
        self.assertIn("support vector machines", [k.text.lower() for k in got])

    def test_refused_article_raises_with_the_commands_message(self):
        with self.assertRaises(tarnix.TarnixError) as caught:
            tarnix.extract(title="x", lang="fr")
        self.assertIn("the language must be zh or en", str(caught.exception))
        with self.assertRaises(TypeError):
            tarnix.extract(title=3)

    def test_many_equals_one_at_a_time_and_jobs_change_nothing(self):
        articles = [dict(title="基于深度学习的图像分类"), dict(title="x", lang="fr"),
                    dict(title="小波变换在信号去噪中的应用", abstract="本文研究小波变换去噪方法。"),
                    dict(title="Keyword extraction from scientific articles")] * 3
        one = tarnix.extract_many(articles, jobs=1, errors="keep")
        two = tarnix.extract_many(articles, jobs=2, errors="keep")
        self.assertEqual(len(one), len(articles))
        self.assertIsInstance(one[1], tarnix.TarnixError)
        self.assertEqual([r if isinstance(r, list) else str(r) for r in one],
                         [r if isinstance(r, list) else str(r) for r in two])
        self.assertEqual(one[0], tarnix.extract(**articles[0]))
        with self.assertRaises(tarnix.TarnixError) as caught:
            tarnix.extract_many(articles)
        self.assertIn("article 1:", str(caught.exception))
        self.assertEqual(tarnix.extract_many([]), [])

    def test_missing_command_is_a_clear_error(self):
        saved = os.environ.get("TARNIX_COMMAND")
        os.environ["TARNIX_COMMAND"] = os.path.join(HERE, "no-such-tarnix")
        try:
            with self.assertRaises(tarnix.TarnixError) as caught:
                tarnix.extract(title="x")
            self.assertIn("no-such-tarnix", str(caught.exception))
        finally:
            if saved is None:
                del os.environ["TARNIX_COMMAND"]
            else:
                os.environ["TARNIX_COMMAND"] = saved


def _sample(with_keywords=True):
    with open(SAMPLE, encoding="utf-8") as f:
        article = json.load(f)
    article.pop("lang", None)
    if not with_keywords:
        del article["keywords"]
    return article


class WordListTest(unittest.TestCase):
    """A user dictionary and a stop-word list, through Python and through
    the command the package runs."""

    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)

    def write(self, name, content):
        path = os.path.join(self.folder.name, name)
        with open(path, "wb") as f:
            f.write(content if isinstance(content, bytes) else content.encode("utf-8"))
        return path

    def command(self, *args, stdin=None):
        return subprocess.run([tarnix.command()] + list(args), input=stdin, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE)

    def test_user_word_is_kept_whole_and_becomes_a_keyword(self):
        # 目标识别 is cut 目标 | 识别 by the dictionary; nothing proposes it.
        article = _sample(with_keywords=False)
        before = tarnix.extract(**article, lang="zh", top=0)
        self.assertNotIn("目标识别", [k.text for k in before])
        self.assertFalse(any("目标识别" in k.second_text.split() for k in before))
        words = self.write("words.txt", "# field terms\n目标识别 3 n\n")
        after = tarnix.extract(**article, lang="zh", top=0, user_dict=words)
        found = [k for k in after if k.text == "目标识别"]
        self.assertEqual(len(found), 1)
        self.assertEqual(found[0].second_text, "目标识别")  # one word, not two

        # The command, in one process and with workers.
        path = self.write("article.json", json.dumps(article, ensure_ascii=False))
        run = self.command("extract", "--format", "json", "--top", "0", "--user-dict", words, path)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertIn("目标识别", [k["keyword"] for k in json.loads(run.stdout)["keywords"]])
        lines = (json.dumps(article, ensure_ascii=False) + "\n").encode("utf-8") * 3
        one = self.command("batch", "--quiet", "--user-dict", words, stdin=lines)
        two = self.command("batch", "--quiet", "--jobs", "2", "--user-dict", words, stdin=lines)
        self.assertEqual(one.stdout, two.stdout)
        self.assertIn("\"目标识别\"".encode("utf-8"), two.stdout)

    def test_stop_words_never_come_back_whatever_their_source(self):
        # 小波变换: an engine candidate and an author keyword; 特征提取: an
        # author keyword the text never uses; Fisher: English in a Chinese
        # text, listed in another case.
        article = _sample()
        before = [k.text for k in tarnix.extract(**article, top=0)]
        for word in ("小波变换", "特征提取", "无线电引信", "Fisher"):
            self.assertIn(word, before)
        stop = self.write("stop.txt", "\ufeff小波变换\n特征提取\n\n无线电引信\nFISHER\n")
        after = [k.text for k in tarnix.extract(**article, top=0, stop_words=stop)]
        for word in ("小波变换", "特征提取", "无线电引信", "Fisher"):
            self.assertNotIn(word, after)
        self.assertIn("目标", after)
        lines = (json.dumps(article, ensure_ascii=False) + "\n").encode("utf-8") * 2
        for jobs in ("1", "2"):
            run = self.command("batch", "--quiet", "--jobs", jobs, "--top", "0", "--stop-words", stop, stdin=lines)
            self.assertEqual(run.returncode, 0, run.stderr)
            for record in run.stdout.decode("utf-8").splitlines():
                got = [k["keyword"] for k in json.loads(record)["keywords"]]
                self.assertEqual(got, after)

    def test_bad_lines_are_named_and_skipped_and_a_missing_file_fails(self):
        words = self.write("words.txt", b"\xe7\x9b\xae\xe6\xa0\x87\xe8\xaf\x86\xe5\x88\xab 3 zz\n"
                                        b"\xff\xfe\n\xe7\x9b\xae\xe6\xa0\x87\xe8\xaf\x86\xe5\x88\xab\n")
        with warnings.catch_warnings(record=True) as said:
            warnings.simplefilter("always")
            got = tarnix.extract(**_sample(with_keywords=False), top=0, user_dict=words)
        messages = [str(w.message) for w in said if issubclass(w.category, tarnix.TarnixWarning)]
        self.assertTrue(any(words + ":1: unknown part-of-speech tag" in m for m in messages), messages)
        self.assertTrue(any(words + ":2: not UTF-8" in m for m in messages), messages)
        self.assertIn("目标识别", [k.text for k in got])  # line 3 still counts

        missing = os.path.join(self.folder.name, "absent.txt")
        with self.assertRaises(tarnix.TarnixError) as caught:
            tarnix.extract(title="x", stop_words=missing)
        self.assertIn("cannot read " + missing, str(caught.exception))
        for command in ("extract", "batch"):
            run = self.command(command, "--user-dict", missing, stdin=b'{"title": "x"}\n')
            self.assertEqual(run.returncode, 1)
            self.assertIn(b"cannot read", run.stderr)
            self.assertEqual(run.stdout, b"")

    def test_warnings_beyond_a_pipes_buffer_do_not_stall(self):
        # 3,000 skipped lines make some 200 KB of warnings before the first
        # keyword: read after the keywords, they would fill the pipe and
        # stop the command for good.
        stop = self.write("stop.txt", b"\xff\n" * 3000 + "小波变换\n".encode("utf-8"))
        with warnings.catch_warnings(record=True) as said:
            warnings.simplefilter("always")
            got = tarnix.extract(**_sample(), top=0, stop_words=stop)
        skipped = [w for w in said if issubclass(w.category, tarnix.TarnixWarning)]
        self.assertEqual(len(skipped), 3000)
        self.assertNotIn("小波变换", [k.text for k in got])

    def test_a_working_directorys_own_ini_files_are_given_back(self):
        workdir = os.path.join(self.folder.name, "work")
        os.mkdir(workdir)
        # The readers take the first section of a name, whatever its case
        # and blanks: the key must land in this one.
        ini = "; kept\r\n[ dictinfo ]\r\nekvr_segment_dict=QOVA_CLA_CHN_DICT\r\n"
        self.write(os.path.join("work", "EKVR.ini"), ini)
        stop = self.write("stop.txt", "目标\n")
        run = self.command("extract", "--format", "json", "--workdir", workdir, "--stop-words", stop, SAMPLE)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertNotIn("目标", [k["keyword"] for k in json.loads(run.stdout)["keywords"]])
        with open(os.path.join(workdir, "EKVR.ini"), encoding="utf-8", newline="") as f:
            self.assertEqual(f.read(), ini)
        self.assertFalse(os.path.exists(os.path.join(workdir, "Lexmill.ini")))


if __name__ == "__main__":
    unittest.main()
