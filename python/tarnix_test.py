"""Tests of the tarnix Python package, run by CTest with Debian's python3:
TARNIX_COMMAND names the built command, PYTHONPATH this folder."""
import json
import os
import unittest

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


if __name__ == "__main__":
    unittest.main()
