#!/usr/bin/env python3
"""Writes the sample data files samples/data/*.edt (format 170, CP932, CRLF).

Each page is a list of rows; a row is a main item and optionally a side item.
An item is (definition, a, b) or (definition, a, b, [entries]) for menus,
where entries are items again. Row and entry keys and the counts are derived,
so the files always agree with themselves.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
SEP = ("-", "", "")


def text(caption, before, after=""):
    return (f"00,{caption}", before, after)


def module(variant, caption, program, parameters=""):
    return (f"{7 + variant:02d},{caption}", program, parameters)


def menu(caption, entries):
    return (f"13,{len(entries):02d},{caption}", "", "", entries)


def page_lines(number, title, rows):
    keys = [f"[Menu{number:02d}]", f"Title={title}", f"Count={len(rows)}"]
    edits = []

    def put(key, item):
        for value in item:
            # The profile reader would drop these: they must be written as \s or \Q.
            if isinstance(value, str) and value:
                assert value.strip(" \t") == value, (key, value)
                assert not (len(value) > 1 and value[0] == value[-1] and value[0] in "'\""), (key, value)
        keys.append(f"{key}={item[0]}")
        if item[1]:
            edits.append(f"{key}a={item[1]}")
        if item[2]:
            edits.append(f"{key}b={item[2]}")
        for index, entry in enumerate(item[3] if len(item) > 3 else []):
            put(f"{key}{index:02d}", entry)

    for row, entry in enumerate(rows):
        main, side = entry if isinstance(entry, list) else (entry, None)
        put(f"M{row:02d}", main)
        if side is not None and main is not SEP:
            put(f"S{row:02d}", side)
    lines = keys + [""]
    if edits:
        lines += [f"[Edit{number:02d}]"] + edits + [""]
    return lines


def write(name, title, pages):
    lines = ["[Version]", "No=170", "", "[Group]", f"Count={len(pages)}", f"Title={title}", ""]
    for number, (page_title, rows) in enumerate(pages):
        lines += page_lines(number, page_title, rows)
    path = os.path.join(HERE, "data", name)
    with open(path, "wb") as f:
        f.write("\r\n".join(lines).encode("cp932") + b"\r\n")


# Escapes in item texts: \n line end, \s blank (needed at either end of a
# value), \Q double quote (needed where a value begins and ends with one).
write("html.edt", "HTML タグ集", [
    ("文字の装飾", [
        text("太字 <b>", "<b>", "</b>"),
        text("斜体 <i>", "<i>", "</i>"),
        text("下線 <u>", "<u>", "</u>"),
        text("強調 <strong>", "<strong>", "</strong>"),
        text("小さな文字 <small>", "<small>", "</small>"),
        SEP,
        menu("見出し", [
            text("見出し 1 <h1>", "<h1>", "</h1>\\n"),
            text("見出し 2 <h2>", "<h2>", "</h2>\\n"),
            SEP,
            menu("小見出し", [
                text("見出し 3 <h3>", "<h3>", "</h3>\\n"),
                text("見出し 4 <h4>", "<h4>", "</h4>\\n"),
                text("見出し 5 <h5>", "<h5>", "</h5>\\n"),
                text("見出し 6 <h6>", "<h6>", "</h6>\\n"),
            ]),
        ]),
        text("段落 <p>", "<p>", "</p>\\n"),
        text("改行 <br>", "<br>\\n"),
        SEP,
        text("リンク <a href>", '<a href="">', "</a>"),
        text("画像 <img>", '<img src="" alt="">'),
        [module(1, "タグを大文字に", "upper.exe"), module(1, "大文字", "upper.exe")],
    ]),
    ("表とリスト", [
        text("表の骨組み (2×2)",
             "<table>\\n<tr>\\n\\s\\s<th></th><th></th>\\n</tr>\\n<tr>\\n\\s\\s<td></td><td></td>\\n</tr>\\n</table>\\n"),
        text("行 <tr><td>", "<tr>\\n\\s\\s<td>", "</td>\\n</tr>\\n"),
        text("見出しセル <th>", "<th>", "</th>"),
        text("セル <td>", "<td>", "</td>"),
        SEP,
        text("箇条書き <ul>", "<ul>\\n\\s\\s<li>", "</li>\\n</ul>\\n"),
        text("番号付きリスト <ol>", "<ol>\\n\\s\\s<li>", "</li>\\n</ol>\\n"),
        text("項目 <li>", "<li>", "</li>"),
        menu("定義リスト", [
            text("<dl> の骨組み", "<dl>\\n\\s\\s<dt></dt>\\n\\s\\s<dd></dd>\\n</dl>\\n"),
            text("用語 <dt>", "<dt>", "</dt>"),
            text("説明 <dd>", "<dd>", "</dd>"),
        ]),
    ]),
    ("文書 & 記号", [
        text("HTML5 のひな形",
             '<!DOCTYPE html>\\n<html lang="ja">\\n<head>\\n<meta charset="utf-8">\\n<title></title>\\n</head>\\n<body>\\n',
             "\\n</body>\\n</html>\\n"),
        text("コメント <!-- -->", "<!--\\s", "\\s-->"),
        text("スタイル <style>", "<style>\\n", "\\n</style>\\n"),
        text("スクリプト <script>", "<script>\\n", "\\n</script>\\n"),
        SEP,
        text("空白 &nbsp;", "&nbsp;"),
        menu("特殊文字", [
            text("&amp;  (&)", "&amp;"),
            text("&lt;   (<)", "&lt;"),
            text("&gt;   (>)", "&gt;"),
            text("&quot; (\")", "&quot;"),
            text("&copy;", "&copy;"),
        ]),
    ]),
])

write("code.edt", "C/C++ と Python の定型文", [
    ("C/C++", [
        [text("#include <...>", "#include <", ">\\n"),
         menu("よく使うヘッダ", [
             text("<string>", "#include <string>\\n"),
             text("<vector>", "#include <vector>\\n"),
             text("<memory>", "#include <memory>\\n"),
         ])],
        text("インクルードガード", "#ifndef NAME_H\\n#define NAME_H\\n\\n", "\\n\\n#endif  // NAME_H\\n"),
        SEP,
        menu("制御文", [
            text("if", "if (", ") {\\n}\\n"),
            text("if / else", "if (", ") {\\n} else {\\n}\\n"),
            text("for (i = 0 .. n)", "for (int i = 0; i < n; ++i) {\\n\\s\\s", "\\n}\\n"),
            text("範囲 for", "for (const auto& item :\\s", ") {\\n}\\n"),
            text("while", "while (", ") {\\n}\\n"),
            SEP,
            menu("switch", [
                text("switch の骨組み", "switch (", ") {\\n\\s\\scase 0:\\n\\s\\s\\s\\sbreak;\\n\\s\\sdefault:\\n\\s\\s\\s\\sbreak;\\n}\\n"),
                text("case ラベル", "case\\s", ":\\n\\s\\s\\s\\sbreak;\\n"),
            ]),
        ]),
        menu("クラス", [
            text("class の骨組み", "class Name {\\n public:\\n\\s\\sName();\\n\\s\\s~Name();\\n\\n private:\\n};\\n"),
            text("struct", "struct Name {\\n", "\\n};\\n"),
            SEP,
            menu("特殊メンバ", [
                text("コピー禁止", "\\s\\sName(const Name&) = delete;\\n\\s\\sName& operator=(const Name&) = delete;\\n"),
                text("ムーブは既定", "\\s\\sName(Name&&) noexcept = default;\\n\\s\\sName& operator=(Name&&) noexcept = default;\\n"),
            ]),
        ]),
        text("main 関数", "int main(int argc, char* argv[]) {\\n\\s\\s", "\\n\\s\\sreturn 0;\\n}\\n"),
        text("/* */ で囲む", "/*\\s", "\\s*/"),
        SEP,
        [module(1, "選択範囲を大文字に", "upper.exe"), module(2, "大文字 (切り取り)", "upper.exe")],
        [module(1, "行番号を付ける", "number.exe"), module(1, "行番号", "number.exe")],
        [module(1, "80 桁で折り返す", "wrap.exe", "80"),
         menu("折り返し", [
             module(1, "72 桁で折り返す", "wrap.exe", "72"),
             module(1, "80 桁で折り返す", "wrap.exe", "80"),
         ])],
    ]),
    ("Python", [
        text("def 関数", "def name(", "):\\n\\s\\s\\s\\spass\\n"),
        text("class クラス", "class Name:\\n\\s\\s\\s\\sdef __init__(self):\\n\\s\\s\\s\\s\\s\\s\\s\\spass\\n"),
        text('if __name__ == "__main__":', 'if __name__ == "__main__":\\n\\s\\s\\s\\smain()\\n'),
        SEP,
        menu("例外処理", [
            text("try / except", "try:\\n\\s\\s\\s\\s", "\\nexcept Exception as error:\\n\\s\\s\\s\\sraise\\n"),
            text("try / finally", "try:\\n\\s\\s\\s\\s", "\\nfinally:\\n\\s\\s\\s\\spass\\n"),
            text("with 文", "with open(path, encoding=\"utf-8\") as f:\\n\\s\\s\\s\\s"),
        ]),
        menu("内包表記", [
            text("リスト", "[x for x in\\s", "]"),
            text("辞書", "{k: v for k, v in\\s", ".items()}"),
            text("ジェネレータ", "(x for x in\\s", ")"),
        ]),
        SEP,
        text("# コメント", "#\\s"),
        text("print デバッグ", 'print(f"{', '=}")'),
        text('docstring """', '\\Q\\Q\\Q', '\\Q\\Q\\Q'),
        [module(1, "行番号を付ける", "number.exe"), module(1, "行番号", "number.exe")],
    ]),
])
