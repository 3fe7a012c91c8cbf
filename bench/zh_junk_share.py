#!/usr/bin/python3
"""The share of junk and generic keywords in Tarnix's top ten on csl-dev
(title and abstract in, author keywords withheld).

A keyword counts as junk when it starts or ends with a function word or a
light verb of the list below (基于小波变换, 进行检测, 作为特征), holds a reporting
phrase (结果表明), or is one of the generic words below (有效性, 研究, 方法). The
lists are the published yardstick: change them only with a note of the
figures before and after.

  /usr/bin/python3 bench/zh_junk_share.py [BUILD_DIR] [DATA_DIR]

BUILD_DIR has bin/tarnix (default build); DATA_DIR holds zh/csl-dev.jsonl
(default ../shared/data beside the repository). Prints the share over all
articles and over the held-out half (odd positions), and the commonest junk.
"""
import collections
import json
import os
import subprocess
import sys

# Function words and light verbs that neither start nor end a keyword
# (two characters: a single one starts too many real terms, 用户, 等离子体),
# and the words they are the first half of.
LIGHT = ["基于", "采用", "进行", "作为", "通过", "利用", "对于", "针对", "根据", "关于", "由于", "提出",
         "具有", "得到", "给出", "开展", "加以", "予以", "以及", "及其"]
NOT_LIGHT = {"利用率", "作为人"}
REPORTING = ["结果表明", "研究表明", "实验表明", "结果显示", "研究发现", "表明", "显示"]
GENERIC = {"研究", "方法", "问题", "结果", "影响", "作用", "分析", "应用", "特点", "目标", "有效性", "重要性",
           "现阶段", "对照组", "观察组", "患者", "意义", "现状", "措施", "对策", "因素", "情况", "过程", "基础",
           "发展", "效果", "方面", "途径", "策略", "思路", "建议", "原因", "目的", "作者", "本文", "文章",
           "论文", "领域", "技术", "系统", "模型", "算法", "数据", "实验", "性能", "优势", "特性", "关系",
           "可行性", "必要性", "合理性", "准确性", "稳定性", "方式", "形式", "内容", "水平", "程度", "能力"}


def is_junk(k):
    if k in GENERIC:
        return True
    if any(r in k for r in REPORTING):
        return True
    if k in NOT_LIGHT:
        return False
    return any(k.startswith(w) or k.endswith(w) for w in LIGHT)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build")
    data = sys.argv[2] if len(sys.argv) > 2 else os.path.join(root, "..", "shared", "data")
    articles = [json.loads(l) for l in open(os.path.join(data, "zh", "csl-dev.jsonl"), encoding="utf-8")]
    lines = "".join(json.dumps({"title": a["title"], "abstract": a["abstract"], "lang": "zh"}, ensure_ascii=False)
                    + "\n" for a in articles)
    out = subprocess.run([os.path.join(build, "bin", "tarnix"), "batch", "--jobs", "2", "--top", "10"],
                         input=lines, capture_output=True, text=True, check=True).stdout.splitlines()
    counts = {"all": [0, 0], "held-out half": [0, 0]}
    common = collections.Counter()
    for i, line in enumerate(out):
        words = [k["keyword"] for k in json.loads(line).get("keywords", [])]
        junk = [w for w in words if is_junk(w)]
        common.update(junk)
        for name in (["all", "held-out half"] if i % 2 == 1 else ["all"]):
            counts[name][0] += len(junk)
            counts[name][1] += len(words)
    for name, (j, n) in counts.items():
        print("%s: %d of %d keywords in the top ten are junk or generic (%.1f %%)" % (name, j, n, 100.0 * j / n))
    print("commonest:", " ".join("%s %d" % kv for kv in common.most_common(25)))


if __name__ == "__main__":
    main()
